#include "LogFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pellorn::filelog {

LogFile::~LogFile()
{
    close();
}

bool LogFile::open(const std::string& path, bool append, bool ownerOnly, std::string& error)
{
    close();
    const int flags = O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | (append ? 0 : O_TRUNC);
    const int fd = ::open(path.c_str(), flags, ownerOnly ? 0600 : 0666);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    // A file left by an earlier run with wider rights is narrowed too.
    if (ownerOnly)
        ::fchmod(fd, S_IRUSR | S_IWUSR);
    struct stat info {};
    size_ = ::fstat(fd, &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
    handle_ = fd;
    return true;
}

bool LogFile::write(const char* data, std::size_t size, std::string& error)
{
    const int fd = static_cast<int>(handle_);
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = std::strerror(errno);
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
        size_ += static_cast<std::uint64_t>(n);
    }
    return true;
}

void LogFile::close()
{
    if (handle_ != invalid)
        ::close(static_cast<int>(handle_));
    handle_ = invalid;
    size_ = 0;
}

} // namespace pellorn::filelog
