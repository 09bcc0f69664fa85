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
#include <string>

namespace xl::detail {
namespace {

std::string directoryOf(const std::string& path)
{
    const auto slash = path.find_last_of("/\\");
    if (slash == std::string::npos)
        return ".";
    return path.substr(0, slash + 1);
}

// Paths arrive as UTF-8 (as the window toolkit hands them over); Windows
// takes file names in UTF-16.
std::wstring widePath(const std::string& utf8)
{
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
    return wide;
}

// The system's text for an error code, in UTF-8 like the rest of our texts.
std::string systemMessage(DWORD code)
{
    wchar_t buf[256] = {};
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buf,
                                   256, nullptr);
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, buf, static_cast<int>(n), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_UTF8, 0, buf, static_cast<int>(n), text.data(), bytes, nullptr, nullptr);
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
        const HANDLE h = CreateFileW(widePath(tmpPath).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
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
            DeleteFileW(widePath(tmpPath).c_str());
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
    if (ok && !MoveFileExW(widePath(tmpPath).c_str(), widePath(path).c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = "cannot replace " + path + ": " + systemMessage(GetLastError());
        ok = false;
    }
    if (!ok)
        DeleteFileW(widePath(tmpPath).c_str());
    return ok;
}

} // namespace xl::detail
