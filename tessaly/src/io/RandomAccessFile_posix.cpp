#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "tessaly/core/IllegalArgumentException.h"
#include "tessaly/io/FileIOException.h"
#include "tessaly/io/RandomAccessFile.h"

namespace tessaly::io {

RandomAccessFile::RandomAccessFile(const core::String& path, bool readOnly) : readOnly_(readOnly)
{
    if (path.isEmpty())
        throw core::IllegalArgumentException("The filename can't be empty.", __FILE__, __LINE__);
    open(path);
}

RandomAccessFile::RandomAccessFile(File& file, bool readOnly) : readOnly_(readOnly)
{
    open(file.getFullPathname());
}

void RandomAccessFile::open(const core::String& path)
{
    const int flags = readOnly_ ? O_RDONLY : (O_RDWR | O_CREAT);
    handle_ = ::open(path.text(), flags | O_CLOEXEC, 0666);
    if (handle_ < 0)
        throw FileIOException("Failed to open file.", __FILE__, __LINE__);
}

RandomAccessFile::~RandomAccessFile()
{
    close();
}

long RandomAccessFile::getFilePointer() const
{
    return handle_ < 0 ? -1 : static_cast<long>(::lseek(handle_, 0, SEEK_CUR));
}

long RandomAccessFile::length() const
{
    if (handle_ < 0)
        return -1;
    const off_t here = ::lseek(handle_, 0, SEEK_CUR);
    const off_t end = ::lseek(handle_, 0, SEEK_END);
    ::lseek(handle_, here, SEEK_SET);
    return static_cast<long>(end);
}

bool RandomAccessFile::seek(long position)
{
    return handle_ >= 0 && position >= 0 && ::lseek(handle_, position, SEEK_SET) >= 0;
}

bool RandomAccessFile::setLength(long length)
{
    if (handle_ < 0 || readOnly_ || length < 0)
        return false;
    return ::lseek(handle_, length, SEEK_SET) >= 0 && ::ftruncate(handle_, length) == 0;
}

int RandomAccessFile::read(void* buffer, int count)
{
    if (handle_ < 0 || !buffer || count < 0)
        return -1;
    ssize_t r;
    do {
        r = ::read(handle_, buffer, static_cast<std::size_t>(count));
    } while (r < 0 && errno == EINTR);
    return static_cast<int>(r);
}

int RandomAccessFile::write(const void* buffer, int count)
{
    if (handle_ < 0 || readOnly_ || !buffer || count < 0)
        return -1;
    const char* p = static_cast<const char*>(buffer);
    int done = 0;
    while (done < count) {
        const ssize_t w = ::write(handle_, p + done, static_cast<std::size_t>(count - done));
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            return done > 0 ? done : -1;
        done += static_cast<int>(w);
    }
    return done;
}

bool RandomAccessFile::flush()
{
    return handle_ >= 0 && ::fsync(handle_) == 0;
}

void RandomAccessFile::close()
{
    if (handle_ >= 0)
        ::close(handle_);
    handle_ = -1;
}

} // namespace tessaly::io
