// The database client library connects inside soci's session constructor,
// so TLS options that soci cannot pass are put on the handle here: this
// program's own mysql_real_connect comes first in the dynamic symbol lookup
// (ELF interposition), sets the options on the handle when it connects to
// the configured server, and calls on to the library's function.
#include "db/DatabaseTlsHook.h"

#include <dlfcn.h>

namespace {

using RealConnect = MYSQL* (*)(MYSQL*, const char*, const char*, const char*, const char*, unsigned int,
                               const char*, unsigned long);

}  // namespace

// Interposition is in place from the start.
void hookDatabaseConnects() {}

extern "C" MYSQL* STDCALL mysql_real_connect(MYSQL* mysql, const char* host, const char* user, const char* passwd,
                                             const char* db, unsigned int port, const char* unixSocket,
                                             unsigned long clientFlag)
{
    static const auto real = reinterpret_cast<RealConnect>(dlsym(RTLD_NEXT, "mysql_real_connect"));
    if (real == nullptr || mysql == nullptr)
        return nullptr;
    if (!applyDatabaseTls(mysql, host, port))
        return nullptr;
    return real(mysql, host, user, passwd, db, port, unixSocket, clientFlag);
}
