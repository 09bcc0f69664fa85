#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "tessaly/io/FileIOException.h"
#include "tessaly/io/FileOutputStream.h"

namespace tessaly::io {

using core::int64;

FileOutputStream::FileOutputStream(const File& file)
    : file_(file), handle_(::open(file.getFullPathname().text(), O_RDWR | O_CREAT | O_CLOEXEC, 0666))
{
    if (handle_ < 0)
        throw FileIOException("Failed to open file.", __FILE__, __LINE__);
    if (::lseek(handle_, 0, SEEK_END) < 0) {
        ::close(handle_);
        throw FileIOException("Failed to get file pointer.", __FILE__, __LINE__);
    }
}

FileOutputStream::~FileOutputStream()
{
    ::close(handle_);
}

bool FileOutputStream::flush()
{
    return ::fsync(handle_) == 0;
}

bool FileOutputStream::setPosition(int64 position)
{
    return position >= 0 && ::lseek(handle_, static_cast<off_t>(position), SEEK_SET) >= 0;
}

int64 FileOutputStream::getPosition()
{
    return static_cast<int64>(::lseek(handle_, 0, SEEK_CUR));
}

int FileOutputStream::write(const void* buffer, int count)
{
    if (!buffer || count < 1)
        return 0;
    const char* p = static_cast<const char*>(buffer);
    int done = 0;
    while (done < count) {
        const ssize_t w = ::write(handle_, p + done, static_cast<std::size_t>(count - done));
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            break;
        done += static_cast<int>(w);
    }
    return done;
}

bool FileOutputStream::clear()
{
    return ::ftruncate(handle_, 0) == 0 && ::lseek(handle_, 0, SEEK_SET) == 0;
}

} // namespace tessaly::io
