#include "tessaly/io/InputStream.h"

#include <cstring>
#include <string>

namespace tessaly::io {

using core::int64;
using core::String;

namespace {
constexpr int kSkipPiece = 8192;
}

int64 InputStream::getTotalCount()
{
    return -1;
}

bool InputStream::available()
{
    return false;
}

int64 InputStream::getPosition()
{
    return -1;
}

bool InputStream::setPosition(int64)
{
    return false;
}

int InputStream::read(void* buffer, int offset, int count)
{
    if (!buffer || offset < 0 || count < 1)
        return 0;
    return read(static_cast<char*>(buffer) + offset, count);
}

bool InputStream::readFully(void* buffer, int n)
{
    char* p = static_cast<char*>(buffer);
    int got = 0;
    while (got < n) {
        const int r = read(p + got, n - got);
        if (r <= 0)
            return false;
        got += r;
    }
    return true;
}

bool InputStream::readBool(bool* ok)
{
    return readChar(ok) == 1;
}

// Raw bytes of T, or 0 with ok false when the source ran dry.
#define TESSALY_READ_RAW(T)            \
    T value{};                         \
    const bool good = readFully(&value, sizeof value); \
    if (ok)                            \
        *ok = good;                    \
    return good ? value : T{};

char InputStream::readChar(bool* ok)
{
    TESSALY_READ_RAW(char)
}

short InputStream::readShort(bool* ok)
{
    TESSALY_READ_RAW(short)
}

int InputStream::readInt(bool* ok)
{
    TESSALY_READ_RAW(int)
}

int64 InputStream::readInt64(bool* ok)
{
    TESSALY_READ_RAW(int64)
}

#undef TESSALY_READ_RAW

float InputStream::readFloat(bool* ok)
{
    const int bits = readInt(ok);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

double InputStream::readDouble(bool* ok)
{
    const int64 bits = readInt64(ok);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

String InputStream::readNextLine()
{
    if (!available())
        return String();
    std::string line;
    char c;
    while (read(&c, 1) == 1) {
        if (c == '\r' || c == '\n') {
            const char other = c == '\r' ? '\n' : '\r';
            char next;
            if (read(&next, 1) == 1 && next != other) {
                // Not part of this break: it starts the next line.
                const int64 pos = getPosition();
                if (pos > 0)
                    setPosition(pos - 1);
            }
            break;
        }
        line += c;
    }
    return String(line.data(), static_cast<int>(line.size()));
}

int64 InputStream::skipBytes(int64 n)
{
    char piece[kSkipPiece];
    int64 skipped = 0;
    while (skipped < n && available()) {
        const int64 left = n - skipped;
        const int want = left < kSkipPiece ? static_cast<int>(left) : kSkipPiece;
        const int r = read(piece, want);
        if (r <= 0)
            break;
        skipped += r;
    }
    return skipped;
}

} // namespace tessaly::io
