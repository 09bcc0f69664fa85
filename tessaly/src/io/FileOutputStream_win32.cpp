#include <io.h>

#include "io/FileHandle_win32.h"
#include "tessaly/io/FileIOException.h"
#include "tessaly/io/FileOutputStream.h"

namespace tessaly::io {

using core::int64;

FileOutputStream::FileOutputStream(const File& file)
    : file_(file), handle_(win32::openShared(file.getFullPathname().text(), GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS))
{
    if (handle_ < 0)
        throw FileIOException("Failed to open file.", __FILE__, __LINE__);
    if (win32::seekTo(handle_, 0, FILE_END) < 0) {
        _close(handle_);
        throw FileIOException("Failed to get file pointer.", __FILE__, __LINE__);
    }
}

FileOutputStream::~FileOutputStream()
{
    _close(handle_);
}

bool FileOutputStream::flush()
{
    return FlushFileBuffers(win32::osHandle(handle_)) != 0;
}

bool FileOutputStream::setPosition(int64 position)
{
    return position >= 0 && win32::seekTo(handle_, position, FILE_BEGIN) >= 0;
}

int64 FileOutputStream::getPosition()
{
    return win32::seekTo(handle_, 0, FILE_CURRENT);
}

int FileOutputStream::write(const void* buffer, int count)
{
    if (!buffer || count < 1)
        return 0;
    return win32::writeAll(handle_, static_cast<const char*>(buffer), count);
}

bool FileOutputStream::clear()
{
    return win32::seekTo(handle_, 0, FILE_BEGIN) == 0 && SetEndOfFile(win32::osHandle(handle_)) != 0;
}

} // namespace tessaly::io
