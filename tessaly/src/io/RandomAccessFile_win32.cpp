#include <io.h>

#include "io/FileHandle_win32.h"
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
    handle_ = readOnly_ ? win32::openShared(path.text(), GENERIC_READ, OPEN_EXISTING)
                        : win32::openShared(path.text(), GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
    if (handle_ < 0)
        throw FileIOException("Failed to open file.", __FILE__, __LINE__);
}

RandomAccessFile::~RandomAccessFile()
{
    close();
}

long RandomAccessFile::getFilePointer() const
{
    return handle_ < 0 ? -1 : static_cast<long>(win32::seekTo(handle_, 0, FILE_CURRENT));
}

long RandomAccessFile::length() const
{
    if (handle_ < 0)
        return -1;
    LARGE_INTEGER size;
    return GetFileSizeEx(win32::osHandle(handle_), &size) ? static_cast<long>(size.QuadPart) : -1;
}

bool RandomAccessFile::seek(long position)
{
    return handle_ >= 0 && position >= 0 && win32::seekTo(handle_, position, FILE_BEGIN) >= 0;
}

bool RandomAccessFile::setLength(long length)
{
    if (handle_ < 0 || readOnly_ || length < 0)
        return false;
    return win32::seekTo(handle_, length, FILE_BEGIN) >= 0 && SetEndOfFile(win32::osHandle(handle_)) != 0;
}

int RandomAccessFile::read(void* buffer, int count)
{
    if (handle_ < 0 || !buffer || count < 0)
        return -1;
    DWORD got = 0;
    if (!ReadFile(win32::osHandle(handle_), buffer, static_cast<DWORD>(count), &got, nullptr))
        return -1;
    return static_cast<int>(got);
}

int RandomAccessFile::write(const void* buffer, int count)
{
    if (handle_ < 0 || readOnly_ || !buffer || count < 0)
        return -1;
    const int done = win32::writeAll(handle_, static_cast<const char*>(buffer), count);
    return done > 0 || count == 0 ? done : -1;
}

bool RandomAccessFile::flush()
{
    return handle_ >= 0 && FlushFileBuffers(win32::osHandle(handle_)) != 0;
}

void RandomAccessFile::close()
{
    if (handle_ >= 0)
        _close(handle_);
    handle_ = -1;
}

} // namespace tessaly::io
