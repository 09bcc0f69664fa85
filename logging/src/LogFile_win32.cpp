#include "LogFile.h"

#include <windows.h>

namespace pellorn::filelog {

namespace {

std::wstring widen(const std::string& utf8)
{
    if (utf8.empty())
        return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
    return wide;
}

std::string lastErrorText()
{
    const DWORD code = GetLastError();
    char text[256] = {};
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                                   sizeof text, nullptr);
    std::string message(text, n);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
        message.pop_back();
    return message.empty() ? "error " + std::to_string(code) : message;
}

// Others may read, append and rename while the file is open (a roll-over
// elsewhere, an operator's viewer).
constexpr DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

} // namespace

LogFile::~LogFile()
{
    close();
}

// ownerOnly needs nothing here: new files take the access rights of their
// folder, and the log folder those of the installation folder.
bool LogFile::open(const std::string& path, bool append, bool /*ownerOnly*/, std::string& error)
{
    close();
    const std::wstring wide = widen(path);
    if (!append) {
        HANDLE emptied = CreateFileW(wide.c_str(), GENERIC_WRITE, shareAll, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
        if (emptied == INVALID_HANDLE_VALUE) {
            error = lastErrorText();
            return false;
        }
        CloseHandle(emptied);
    }
    // Append-only access: every write lands at the end of the file.
    HANDLE file = CreateFileW(wide.c_str(), FILE_APPEND_DATA | SYNCHRONIZE, shareAll, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = lastErrorText();
        return false;
    }
    LARGE_INTEGER size{};
    size_ = GetFileSizeEx(file, &size) ? static_cast<std::uint64_t>(size.QuadPart) : 0;
    handle_ = reinterpret_cast<std::intptr_t>(file);
    return true;
}

bool LogFile::write(const char* data, std::size_t size, std::string& error)
{
    HANDLE file = reinterpret_cast<HANDLE>(handle_);
    while (size > 0) {
        const DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(file, data, chunk, &written, nullptr)) {
            error = lastErrorText();
            return false;
        }
        data += written;
        size -= written;
        size_ += written;
    }
    return true;
}

void LogFile::close()
{
    if (handle_ != invalid)
        CloseHandle(reinterpret_cast<HANDLE>(handle_));
    handle_ = invalid;
    size_ = 0;
}

} // namespace pellorn::filelog
