#include "ui/model/ReplacingFile.h"

// Paths arrive as UTF-8, as the window toolkit hands them over.
#include "app/WideText_win32.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

namespace quorvel::ui {

namespace {

// The system's text for an error code, in UTF-8 like the rest of our texts.
std::string systemMessage(DWORD code)
{
    wchar_t buf[256] = {};
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buf,
                                   256, nullptr);
    std::string text = utf8FromWide(std::wstring_view(buf, n));
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '.'))
        text.pop_back();
    return text.empty() ? "error " + std::to_string(code) : text;
}

HANDLE osHandle(int fd)
{
    return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

}  // namespace

ReplacingFile::~ReplacingFile() { abandon(); }

bool ReplacingFile::open(const std::string& path)
{
    abandon();
    path_ = path;
    if (path.empty() || path.back() == '/' || path.back() == '\\') {
        error_ = "no file name given";
        return false;
    }
    const auto slash = path.find_last_of("/\\");
    const std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    DWORD code = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[48];
        std::snprintf(suffix, sizeof suffix, ".%lu.%d.part", GetCurrentProcessId(), attempt);
        tmpPath_ = dir + "." + base + suffix;
        const HANDLE h = CreateFileW(wideFromUtf8(tmpPath_).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            fd_ = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_BINARY);
            if (fd_ >= 0)
                return true;
            CloseHandle(h);
            DeleteFileW(wideFromUtf8(tmpPath_).c_str());
            code = ERROR_TOO_MANY_OPEN_FILES;
            break;
        }
        code = GetLastError();
        if (code != ERROR_FILE_EXISTS)
            break;
    }
    error_ = "cannot create a file in " + (dir.empty() ? std::string(".") : dir) + ": " + systemMessage(code);
    tmpPath_.clear();
    return false;
}

bool ReplacingFile::write(const char* data, std::size_t length)
{
    while (length > 0) {
        DWORD wrote = 0;
        const DWORD chunk = length > 0x40000000u ? 0x40000000u : static_cast<DWORD>(length);
        if (!WriteFile(osHandle(fd_), data, chunk, &wrote, nullptr) || wrote == 0) {
            error_ = "cannot write the file: " + systemMessage(GetLastError());
            return false;
        }
        data += wrote;
        length -= wrote;
    }
    return true;
}

bool ReplacingFile::commit()
{
    if (fd_ < 0)
        return false;
    bool ok = FlushFileBuffers(osHandle(fd_)) != 0;
    if (!ok)
        error_ = "cannot write the file: " + systemMessage(GetLastError());
    if (_close(fd_) != 0 && ok) {
        error_ = "cannot write the file";
        ok = false;
    }
    fd_ = -1;
    if (ok && !MoveFileExW(wideFromUtf8(tmpPath_).c_str(), wideFromUtf8(path_).c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error_ = "cannot replace " + path_ + ": " + systemMessage(GetLastError());
        ok = false;
    }
    if (ok)
        tmpPath_.clear();
    else
        abandon();
    return ok;
}

void ReplacingFile::abandon()
{
    if (fd_ >= 0)
        _close(fd_);
    fd_ = -1;
    if (!tmpPath_.empty())
        DeleteFileW(wideFromUtf8(tmpPath_).c_str());
    tmpPath_.clear();
}

}  // namespace quorvel::ui
