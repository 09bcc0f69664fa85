// The database client library connects inside soci's session constructor,
// so TLS options that soci cannot pass are put on the handle here. Windows
// has no symbol interposition: the import table entries through which other
// modules (soci's MySQL back end) call the library's mysql_real_connect are
// pointed at our function, which sets the options when it connects to the
// configured server and calls on to the library's function.
#include "db/DatabaseTlsHook.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cstring>

namespace {

using RealConnect = MYSQL* (STDCALL*)(MYSQL*, const char*, const char*, const char*, const char*, unsigned int,
                                      const char*, unsigned long);
RealConnect realConnect = nullptr;

MYSQL* STDCALL connectWithTls(MYSQL* mysql, const char* host, const char* user, const char* passwd, const char* db,
                              unsigned int port, const char* unixSocket, unsigned long clientFlag)
{
    if (realConnect == nullptr || mysql == nullptr)
        return nullptr;
    if (!applyDatabaseTls(mysql, host, port))
        return nullptr;
    return realConnect(mysql, host, user, passwd, db, port, unixSocket, clientFlag);
}

// Redirects module's imported mysql_real_connect (bound to the library's
// address at load time) to connectWithTls.
void redirectImports(HMODULE module)
{
    auto* base = reinterpret_cast<BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE)
        return;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0)
        return;
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); d->Name; ++d) {
        for (auto* t = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk); t->u1.Function; ++t) {
            if (t->u1.Function != reinterpret_cast<ULONG_PTR>(realConnect))
                continue;
            DWORD old = 0;
            if (VirtualProtect(&t->u1.Function, sizeof t->u1.Function, PAGE_READWRITE, &old)) {
                t->u1.Function = reinterpret_cast<ULONG_PTR>(&connectWithTls);
                VirtualProtect(&t->u1.Function, sizeof t->u1.Function, old, &old);
            }
        }
    }
}

void redirectLoadedModules()
{
    if (!realConnect) {
        const HMODULE library = GetModuleHandleA("libmariadb.dll");
        if (!library)
            return;
        realConnect = reinterpret_cast<RealConnect>(reinterpret_cast<void*>(GetProcAddress(library, "mysql_real_connect")));
        if (!realConnect)
            return;
    }
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, GetCurrentProcessId());
    if (snapshot == INVALID_HANDLE_VALUE)
        return;
    MODULEENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Module32First(snapshot, &entry); more; more = Module32Next(snapshot, &entry))
        redirectImports(entry.hModule);
    CloseHandle(snapshot);
}

}  // namespace

// Modules loaded since the last call (a back end loaded by name) are
// redirected too; an entry already redirected no longer matches.
void hookDatabaseConnects()
{
    redirectLoadedModules();
}
