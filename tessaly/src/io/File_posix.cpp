// File operations on POSIX system calls.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "tessaly/io/File.h"
#include "tessaly/io/FileFilter.h"
#include "io/PathRoot.h"

namespace tessaly::io {

using core::Date;
using core::int64;
using core::String;

namespace {

bool statPath(const String& path, struct stat& st)
{
    return ::stat(path.text(), &st) == 0;
}

Date toDate(time_t seconds)
{
    try {
        return Date::fromLocalTime(static_cast<int64>(seconds));
    } catch (...) {
        return Date();
    }
}

// Removes a directory tree without following symbolic links.
bool removeTree(const std::string& path)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0)
        return false;
    if (!S_ISDIR(st.st_mode))
        return ::unlink(path.c_str()) == 0;
    DIR* dir = ::opendir(path.c_str());
    if (!dir)
        return false;
    bool ok = true;
    while (dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        ok = removeTree(path + "/" + name) && ok;
    }
    ::closedir(dir);
    return ::rmdir(path.c_str()) == 0 && ok;
}

bool copyFile(const char* from, const char* to)
{
    const int in = ::open(from, O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    struct stat st;
    if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(in);
        return false;
    }
    const int out = ::open(to, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, st.st_mode & 07777);
    if (out < 0) {
        ::close(in);
        return false;
    }
    bool ok = true;
    char buf[65536];
    for (;;) {
        const ssize_t r = ::read(in, buf, sizeof buf);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0) {
            ok = r == 0;
            break;
        }
        ssize_t done = 0;
        while (done < r) {
            const ssize_t w = ::write(out, buf + done, static_cast<std::size_t>(r - done));
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0) {
                ok = false;
                break;
            }
            done += w;
        }
        if (!ok)
            break;
    }
    ::close(in);
    return ::close(out) == 0 && ok;
}

} // namespace

bool isRootedPath(const String& path)
{
    return path.startsWith('/');
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
    char buf[PATH_MAX + 1];
    if (!::getcwd(buf, sizeof buf))
        return String();
    return String(buf);
}

File::Kind File::kind() const
{
    struct stat st;
    if (!statPath(path_, st))
        return Kind::missing;
    return S_ISDIR(st.st_mode) ? Kind::directory : Kind::file;
}

bool File::isReadOnly() const
{
    struct stat st;
    return statPath(path_, st) && (st.st_mode & S_IWUSR) == 0;
}

bool File::setReadOnly(bool readOnly)
{
    struct stat st;
    if (!statPath(path_, st))
        return false;
    mode_t mode = st.st_mode & 07777;
    mode = readOnly ? (mode & ~(S_IWUSR | S_IWGRP | S_IWOTH)) : (mode | S_IWUSR);
    return ::chmod(path_.text(), mode) == 0;
}

int64 File::length() const
{
    struct stat st;
    return statPath(path_, st) ? static_cast<int64>(st.st_size) : 0;
}

Date File::lastModified() const
{
    struct stat st;
    return statPath(path_, st) ? toDate(st.st_mtime) : Date();
}

Date File::createTime() const
{
    struct statx sx;
    if (::statx(AT_FDCWD, path_.text(), 0, STATX_BTIME | STATX_CTIME, &sx) != 0)
        return Date();
    if (sx.stx_mask & STATX_BTIME)
        return toDate(static_cast<time_t>(sx.stx_btime.tv_sec));
    return toDate(static_cast<time_t>(sx.stx_ctime.tv_sec));
}

Date File::lastAccessed() const
{
    struct stat st;
    return statPath(path_, st) ? toDate(st.st_atime) : Date();
}

bool File::setLastModified(const Date& date)
{
    struct timeval times[2];
    times[0].tv_sec = static_cast<time_t>(date.toLocalTime());
    times[0].tv_usec = 0;
    times[1] = times[0];
    return ::utimes(path_.text(), times) == 0;
}

bool File::createNewFile()
{
    const int fd = ::open(path_.text(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    return ::close(fd) == 0;
}

bool File::deleteFile()
{
    struct stat st;
    if (::lstat(path_.text(), &st) != 0 || S_ISDIR(st.st_mode))
        return false;
    return ::unlink(path_.text()) == 0;
}

bool File::mkdir()
{
    return ::mkdir(path_.text(), 0777) == 0;
}

bool File::mkdirs()
{
    if (isDirectory())
        return true;
    const std::string path = path_.text();
    for (std::size_t slash = path.find('/', 1); ; slash = path.find('/', slash + 1)) {
        const std::string part = slash == std::string::npos ? path : path.substr(0, slash);
        if (::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST)
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
    return ::rmdir(path_.text()) == 0;
}

bool File::chdir()
{
    return ::chdir(path_.text()) == 0;
}

bool File::renameTo(const File& target, bool overwrite)
{
    if (!exists())
        return false;
    if (target.exists() && !overwrite)
        return false;
    if (::rename(path_.text(), target.path_.text()) == 0)
        return true;
    if (errno != EXDEV || !existsAsFile())
        return false;
    // Another file system: copy, then remove the original.
    if (!copyFile(path_.text(), target.path_.text())) {
        ::unlink(target.path_.text());
        return false;
    }
    return ::unlink(path_.text()) == 0;
}

bool File::copyTo(const File& target) const
{
    if (*this == target)
        return false;
    return copyFile(path_.text(), target.path_.text());
}

bool File::list(FileFilter* filter, const String& pattern, std::vector<String>* files,
                std::vector<String>* folders) const
{
    DIR* dir = ::opendir(path_.text());
    if (!dir)
        return false;
    const String effective = pattern.isEmpty() ? String("*") : pattern;
    const std::string base = std::string(path_.text()) + (path_.endsWith('/') ? "" : "/");
    std::vector<String> foundFiles;
    std::vector<String> foundFolders;
    while (dirent* e = ::readdir(dir)) {
        const String name(e->d_name);
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
            continue;
        if (!String::matchesWildcard(name.text(), effective.text()))
            continue;
        struct stat st;
        const bool isDir = ::stat((base + e->d_name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        std::vector<String>* into = isDir ? (folders ? &foundFolders : nullptr) : (files ? &foundFiles : nullptr);
        if (!into)
            continue;
        if (filter && !filter->accept(*this, name))
            continue;
        into->push_back(name);
    }
    ::closedir(dir);
    std::sort(foundFiles.begin(), foundFiles.end());
    std::sort(foundFolders.begin(), foundFolders.end());
    if (files)
        files->insert(files->end(), foundFiles.begin(), foundFiles.end());
    if (folders)
        folders->insert(folders->end(), foundFolders.begin(), foundFolders.end());
    return true;
}

} // namespace tessaly::io
