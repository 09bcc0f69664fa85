#include "tessaly/io/BufferedInputStream.h"

#include <cstring>
#include <string>

#include "tessaly/core/IllegalArgumentException.h"

namespace tessaly::io {

using core::int64;

BufferedInputStream::BufferedInputStream(InputStream* source, bool ownsSource)
    : source_(source), ownsSource_(ownsSource)
{
    if (!source)
        throw core::IllegalArgumentException("Input source can't be NULL.", __FILE__, __LINE__);
}

BufferedInputStream::~BufferedInputStream()
{
    if (ownsSource_)
        delete source_;
}

int64 BufferedInputStream::getTotalCount()
{
    return source_->getTotalCount();
}

bool BufferedInputStream::available()
{
    return buffered() > 0 || source_->available();
}

int64 BufferedInputStream::getPosition()
{
    const int64 pos = source_->getPosition();
    return pos < 0 ? -1 : pos - buffered();
}

bool BufferedInputStream::setPosition(int64 position)
{
    if (position < 0)
        return false;
    const int64 end = source_->getPosition();
    if (end >= 0 && position <= end && position >= end - count_) {
        offset_ = count_ - static_cast<int>(end - position);
        return true;
    }
    if (!source_->setPosition(position))
        return false;
    count_ = offset_ = 0;
    return true;
}

bool BufferedInputStream::fill()
{
    const int got = source_->read(buffer_, _bufferSize);
    count_ = got > 0 ? got : 0;
    offset_ = 0;
    return count_ > 0;
}

int BufferedInputStream::read(void* buffer, int count)
{
    if (!buffer || count < 1)
        return 0;
    char* out = static_cast<char*>(buffer);
    const int have = buffered();
    if (count < have) {
        std::memcpy(out, buffer_ + offset_, static_cast<std::size_t>(count));
        offset_ += count;
        return count;
    }
    std::memcpy(out, buffer_ + offset_, static_cast<std::size_t>(have));
    count_ = offset_ = 0;
    const int rest = count - have;
    int got = 0;
    if (rest > 0) {
        got = source_->read(out + have, rest);
        if (got < 0)
            got = 0;
    }
    if (got == rest)
        fill();
    return have + got;
}


core::String BufferedInputStream::readNextLine()
{
    if (!available())
        return core::String();
    std::string line;
    for (;;) {
        if (buffered() == 0 && !fill())
            break;
        // Scan the buffered bytes for a break in one go.
        const char* start = buffer_ + offset_;
        const char* stop = buffer_ + count_;
        const char* p = start;
        while (p < stop && *p != '\r' && *p != '\n')
            ++p;
        line.append(start, static_cast<std::size_t>(p - start));
        offset_ += static_cast<int>(p - start);
        if (p == stop)
            continue;
        const char other = *p == '\r' ? '\n' : '\r';
        ++offset_;
        if (buffered() == 0)
            fill();
        if (buffered() > 0 && buffer_[offset_] == other)
            ++offset_;
        break;
    }
    return core::String(line.data(), static_cast<int>(line.size()));
}

} // namespace tessaly::io
