#include "tessaly/io/FileInputStream.h"

#include "tessaly/io/FileIOException.h"

namespace tessaly::io {

using core::int64;

FileInputStream::FileInputStream(const File& file) : file_(file), stream_(std::fopen(file.getFullPathname().text(), "rb"))
{
    if (!stream_)
        throw FileIOException("File open failed.", __FILE__, __LINE__);
    // A directory opens on some systems but cannot be read or sized.
    if (std::fseek(stream_, 0, SEEK_END) != 0 || (length_ = ftello(stream_)) < 0) {
        std::fclose(stream_);
        throw FileIOException("File open failed.", __FILE__, __LINE__);
    }
}

FileInputStream::~FileInputStream()
{
    std::fclose(stream_);
}

bool FileInputStream::setPosition(int64 position)
{
    if (position < 0)
        return false;
    position_ = position;
    return true;
}

int FileInputStream::read(void* buffer, int count)
{
    if (!buffer || count < 1)
        return 0;
    if (fseeko(stream_, static_cast<off_t>(position_), SEEK_SET) != 0)
        return 0;
    const std::size_t got = std::fread(buffer, 1, static_cast<std::size_t>(count), stream_);
    position_ += static_cast<int64>(got);
    return static_cast<int>(got);
}

} // namespace tessaly::io
