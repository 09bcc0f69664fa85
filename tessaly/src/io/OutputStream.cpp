#include "tessaly/io/OutputStream.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "tessaly/io/InputStream.h"

namespace tessaly::io {

using core::int64;

namespace {
constexpr int kCopyPiece = 8192;
}

bool OutputStream::flush()
{
    return true;
}

bool OutputStream::setPosition(int64)
{
    return false;
}

int64 OutputStream::getPosition()
{
    return -1;
}

int OutputStream::write(const void* buffer, int offset, int count)
{
    if (!buffer || offset < 0 || count < 1)
        return 0;
    return write(static_cast<const char*>(buffer) + offset, count);
}

bool OutputStream::writeBool(bool value)
{
    const char b = value ? 1 : 0;
    return writeAll(&b, 1);
}

bool OutputStream::writeChar(char value)
{
    return writeAll(&value, sizeof value);
}

bool OutputStream::writeShort(short value)
{
    return writeAll(&value, sizeof value);
}

bool OutputStream::writeInt(int value)
{
    return writeAll(&value, sizeof value);
}

bool OutputStream::writeInt64(int64 value)
{
    return writeAll(&value, sizeof value);
}

bool OutputStream::writeFloat(float value)
{
    return writeAll(&value, sizeof value);
}

bool OutputStream::writeDouble(double value)
{
    return writeAll(&value, sizeof value);
}

int OutputStream::writeFromInputStream(InputStream& source, int count)
{
    char piece[kCopyPiece];
    int copied = 0;
    while (copied < count) {
        const int want = count - copied < kCopyPiece ? count - copied : kCopyPiece;
        const int got = source.read(piece, want);
        if (got <= 0)
            break;
        const int put = write(piece, got);
        if (put > 0)
            copied += put;
        if (put != got)
            break;
    }
    return copied;
}

int OutputStream::printf(const char* format, ...)
{
    if (!format)
        return -1;
    char small[512];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (n < 0)
        return -1;
    if (n < static_cast<int>(sizeof small))
        return n == 0 ? 0 : write(small, n);
    std::vector<char> big(static_cast<std::size_t>(n) + 1);
    va_start(args, format);
    std::vsnprintf(big.data(), big.size(), format, args);
    va_end(args);
    return write(big.data(), n);
}

} // namespace tessaly::io
