// File operations on the Win32 file API. Paths are kept with '/' separators,
// which the API accepts as well as '\'.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "io/PathRoot.h"
#include "tessaly/io/File.h"
#include "tessaly/io/FileFilter.h"

namespace tessaly::io {

using core::Date;
using core::int64;
using core::String;

namespace {

constexpr unsigned long long kUnixEpoch = 116444736000000000ULL; // 1970 in FILETIME units

bool attributes(const char* path, WIN32_FILE_ATTRIBUTE_DATA& data)
{
    return GetFileAttributesExA(path, GetFileExInfoStandard, &data) != 0;
}

Date toDate(const FILETIME& ft)
{
    ULARGE_INTEGER t;
    t.LowPart = ft.dwLowDateTime;
    t.HighPart = ft.dwHighDateTime;
    if (t.QuadPart < kUnixEpoch)
        return Date();
    try {
        return Date::fromLocalTime(static_cast<int64>((t.QuadPart - kUnixEpoch) / 10000000ULL));
    } catch (...) {
        return Date();
    }
}

FILETIME toFileTime(int64 seconds)
{
    ULARGE_INTEGER t;
    t.QuadPart = static_cast<unsigned long long>(seconds) * 10000000ULL + kUnixEpoch;
    FILETIME ft;
    ft.dwLowDateTime = t.LowPart;
    ft.dwHighDateTime = t.HighPart;
    return ft;
}

bool removeTree(const std::string& path)
{
    const DWORD attrs = GetFileAttributesA(path.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES)
        return false;
    // A junction or link is removed itself; what it points to stays.
    if (!(attrs & FILE_ATTRIBUTE_DIRECTORY))
        return DeleteFileA(path.c_str()) != 0;
    bool ok = true;
    if (!(attrs & FILE_ATTRIBUTE_REPARSE_POINT)) {
        WIN32_FIND_DATAA found;
        const HANDLE find = FindFirstFileA((path + "/*").c_str(), &found);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                if (std::strcmp(found.cFileName, ".") == 0 || std::strcmp(found.cFileName, "..") == 0)
                    continue;
                ok = removeTree(path + "/" + found.cFileName) && ok;
            } while (FindNextFileA(find, &found));
            FindClose(find);
        }
    }
    return RemoveDirectoryA(path.c_str()) != 0 && ok;
}

} // namespace

bool isRootedPath(const String& path)
{
    const char* p = path.text();
    if (!p || !*p)
        return false;
    if (p[0] == '/')
        return true;
    const bool letter = (p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z');
    return letter && p[1] == ':' && p[2] == '/';
}

File::~File()
{
    if (!deleteOnExit_)
        return;
    if (isDirectory())
        rmdir(recursive_);
    else
        deleteFile();
}

String File::currentDirectory()
{
    char buf[MAX_PATH + 1];
    const DWORD n = GetCurrentDirectoryA(sizeof buf, buf);
    if (n == 0 || n >= sizeof buf)
        return String();
    return String(buf).replaceAll('\\', '/');
}

File::Kind File::kind() const
{
    const DWORD attrs = GetFileAttributesA(path_.text());
    if (attrs == INVALID_FILE_ATTRIBUTES)
        return Kind::missing;
    return (attrs & FILE_ATTRIBUTE_DIRECTORY) ? Kind::directory : Kind::file;
}

bool File::isReadOnly() const
{
    const DWORD attrs = GetFileAttributesA(path_.text());
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_READONLY);
}

bool File::setReadOnly(bool readOnly)
{
    const DWORD attrs = GetFileAttributesA(path_.text());
    if (attrs == INVALID_FILE_ATTRIBUTES)
        return false;
    const DWORD next = readOnly ? (attrs | FILE_ATTRIBUTE_READONLY) : (attrs & ~DWORD(FILE_ATTRIBUTE_READONLY));
    return SetFileAttributesA(path_.text(), next) != 0;
}

int64 File::length() const
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!attributes(path_.text(), data))
        return 0;
    return (static_cast<int64>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

Date File::lastModified() const
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    return attributes(path_.text(), data) ? toDate(data.ftLastWriteTime) : Date();
}

Date File::createTime() const
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    return attributes(path_.text(), data) ? toDate(data.ftCreationTime) : Date();
}

Date File::lastAccessed() const
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    return attributes(path_.text(), data) ? toDate(data.ftLastAccessTime) : Date();
}

bool File::setLastModified(const Date& date)
{
    const HANDLE h = CreateFileA(path_.text(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    const FILETIME ft = toFileTime(date.toLocalTime());
    const bool ok = SetFileTime(h, nullptr, &ft, &ft) != 0;
    CloseHandle(h);
    return ok;
}

bool File::createNewFile()
{
    const HANDLE h = CreateFileA(path_.text(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    return CloseHandle(h) != 0;
}

bool File::deleteFile()
{
    if (kind() != Kind::file)
        return false;
    return DeleteFileA(path_.text()) != 0;
}

bool File::mkdir()
{
    return CreateDirectoryA(path_.text(), nullptr) != 0;
}

bool File::mkdirs()
{
    if (isDirectory())
        return true;
    const std::string path = path_.text();
    // Start after the root ("/" or "C:/"), which always exists.
    std::size_t from = path.size() > 2 && path[1] == ':' ? 3 : 1;
    for (std::size_t slash = path.find('/', from); ; slash = path.find('/', slash + 1)) {
        const std::string part = slash == std::string::npos ? path : path.substr(0, slash);
        if (!CreateDirectoryA(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
        if (slash == std::string::npos)
            break;
    }
    return isDirectory();
}

bool File::rmdir(bool recursive)
{
    if (!isDirectory())
        return false;
    if (recursive)
        return removeTree(path_.text());
    return RemoveDirectoryA(path_.text()) != 0;
}

bool File::chdir()
{
    return SetCurrentDirectoryA(path_.text()) != 0;
}

bool File::renameTo(const File& target, bool overwrite)
{
    if (!exists())
        return false;
    if (target.exists() && !overwrite)
        return false;
    // Across volumes the system copies and deletes by itself.
    DWORD flags = MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH;
    if (overwrite)
        flags |= MOVEFILE_REPLACE_EXISTING;
    return MoveFileExA(path_.text(), target.path_.text(), flags) != 0;
}

bool File::copyTo(const File& target) const
{
    if (*this == target)
        return false;
    return CopyFileA(path_.text(), target.path_.text(), FALSE) != 0;
}

bool File::list(FileFilter* filter, const String& pattern, std::vector<String>* files,
                std::vector<String>* folders) const
{
    const std::string base = std::string(path_.text()) + (path_.endsWith('/') ? "" : "/");
    WIN32_FIND_DATAA found;
    const HANDLE find = FindFirstFileA((base + "*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND && isDirectory();
    // The library's own wildcard match decides, not the system's (whose
    // short-name matching differs).
    const String effective = pattern.isEmpty() ? String("*") : pattern;
    std::vector<String> foundFiles;
    std::vector<String> foundFolders;
    do {
        if (std::strcmp(found.cFileName, ".") == 0 || std::strcmp(found.cFileName, "..") == 0)
            continue;
        const String name(found.cFileName);
        if (!String::matchesWildcard(name.text(), effective.text()))
            continue;
        const bool isDir = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        std::vector<String>* into = isDir ? (folders ? &foundFolders : nullptr) : (files ? &foundFiles : nullptr);
        if (!into)
            continue;
        if (filter && !filter->accept(*this, name))
            continue;
        into->push_back(name);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    std::sort(foundFiles.begin(), foundFiles.end());
    std::sort(foundFolders.begin(), foundFolders.end());
    if (files)
        files->insert(files->end(), foundFiles.begin(), foundFiles.end());
    if (folders)
        folders->insert(folders->end(), foundFolders.begin(), foundFolders.end());
    return true;
}

} // namespace tessaly::io
