// The compound file on Windows: our own container writer (OleContainer)
// into a temporary file beside the target, flushed to disk and moved over
// the target in one step when complete.
#include "CompoundFile.h"
#include "OleContainer.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <atomic>
#include <cstdio>

namespace xl::detail {
namespace {

std::string directoryOf(const std::string& path)
{
    const auto slash = path.find_last_of("/\\");
    if (slash == std::string::npos)
        return ".";
    return path.substr(0, slash + 1);
}

std::string systemMessage(DWORD code)
{
    char buf[256] = {};
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buf,
                                   sizeof buf, nullptr);
    std::string text(buf, n);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '.'))
        text.pop_back();
    return text.empty() ? "error " + std::to_string(code) : text;
}

// A new, unique temporary file beside path, opened for reading and writing.
std::FILE* openTemporary(const std::string& path, std::string& tmpPath, DWORD& error)
{
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        tmpPath = path + "." + std::to_string(GetCurrentProcessId()) + "." + std::to_string(counter.fetch_add(1))
                  + "." + std::to_string(GetTickCount64() & 0xFFFFFF) + ".tmp";
        const HANDLE h = CreateFileA(tmpPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            error = GetLastError();
            if (error == ERROR_FILE_EXISTS)
                continue;
            return nullptr;
        }
        const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_BINARY);
        std::FILE* file = fd >= 0 ? _fdopen(fd, "w+b") : nullptr;
        if (!file) {
            error = GetLastError();
            if (fd >= 0)
                _close(fd);
            else
                CloseHandle(h);
            DeleteFileA(tmpPath.c_str());
            return nullptr;
        }
        return file;
    }
    error = ERROR_FILE_EXISTS;
    return nullptr;
}

} // namespace

bool saveCompoundFile(const std::string& path, const std::function<bool(ByteSink&)>& produce,
                      std::string& error)
{
    if (path.empty() || path.back() == '/' || path.back() == '\\') {
        error = "no file name given";
        return false;
    }
    std::string tmpPath;
    DWORD code = 0;
    std::FILE* file = openTemporary(path, tmpPath, code);
    if (!file) {
        error = "cannot create a file in " + directoryOf(path) + ": " + systemMessage(code);
        return false;
    }
    bool ok = true;
    OleContainerWriter container(file);
    if (!container.begin()) {
        error = "cannot write the file";
        ok = false;
    } else if (!produce(container.sink())) {
        error = "the workbook is too large for the file format";
        ok = false;
    } else if (!container.finish()) {
        error = "cannot write the file";
        ok = false;
    }
    // Data must be on disk before the name points at it.
    if (ok && !FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))))) {
        error = "cannot write the file: " + systemMessage(GetLastError());
        ok = false;
    }
    if (std::fclose(file) != 0 && ok) {
        error = "cannot write the file";
        ok = false;
    }
    if (ok && !MoveFileExA(tmpPath.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = "cannot replace " + path + ": " + systemMessage(GetLastError());
        ok = false;
    }
    if (!ok)
        DeleteFileA(tmpPath.c_str());
    return ok;
}

} // namespace xl::detail
