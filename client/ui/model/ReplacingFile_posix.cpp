#include "ui/model/ReplacingFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace quorvel::ui {

ReplacingFile::~ReplacingFile() { abandon(); }

bool ReplacingFile::open(const std::string& path)
{
    abandon();
    path_ = path;
    if (path.empty() || path.back() == '/') {
        error_ = "no file name given";
        return false;
    }
    const auto slash = path.find_last_of('/');
    const std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[48];
        std::snprintf(suffix, sizeof suffix, ".%ld.%d.part", static_cast<long>(::getpid()), attempt);
        tmpPath_ = dir + "." + base + suffix;
        // 0666 and the umask: the renamed file gets the usual permissions.
        fd_ = ::open(tmpPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0)
            return true;
        if (errno != EEXIST)
            break;
    }
    error_ = "cannot create a file in " + (dir.empty() ? std::string(".") : dir) + ": " + std::strerror(errno);
    tmpPath_.clear();
    return false;
}

bool ReplacingFile::write(const char* data, std::size_t length)
{
    while (length > 0) {
        const ssize_t n = ::write(fd_, data, length);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error_ = std::string("cannot write the file: ") + std::strerror(n < 0 ? errno : EIO);
            return false;
        }
        data += n;
        length -= static_cast<std::size_t>(n);
    }
    return true;
}

bool ReplacingFile::commit()
{
    if (fd_ < 0)
        return false;
    bool ok = ::fsync(fd_) == 0;
    if (!ok)
        error_ = std::string("cannot write the file: ") + std::strerror(errno);
    if (::close(fd_) != 0 && ok) {
        error_ = std::string("cannot write the file: ") + std::strerror(errno);
        ok = false;
    }
    fd_ = -1;
    if (ok && ::rename(tmpPath_.c_str(), path_.c_str()) != 0) {
        error_ = "cannot replace " + path_ + ": " + std::strerror(errno);
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
        ::close(fd_);
    fd_ = -1;
    if (!tmpPath_.empty())
        ::unlink(tmpPath_.c_str());
    tmpPath_.clear();
}

}  // namespace quorvel::ui
