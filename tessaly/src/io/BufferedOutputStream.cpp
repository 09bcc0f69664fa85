#include "tessaly/io/BufferedOutputStream.h"

#include <cstring>

#include "tessaly/core/IllegalArgumentException.h"

namespace tessaly::io {

using core::int64;

BufferedOutputStream::BufferedOutputStream(OutputStream* target, bool ownsTarget)
    : target_(target), ownsTarget_(ownsTarget)
{
    if (!target)
        throw core::IllegalArgumentException("Output source can't be NULL.", __FILE__, __LINE__);
}

BufferedOutputStream::~BufferedOutputStream()
{
    writeBuffer();
    if (ownsTarget_)
        delete target_;
}

bool BufferedOutputStream::writeBuffer()
{
    if (fill_ == 0)
        return true;
    const int put = target_->write(buffer_, fill_);
    if (put == fill_) {
        fill_ = 0;
        return true;
    }
    // Keep what the target did not take rather than losing it.
    if (put > 0) {
        std::memmove(buffer_, buffer_ + put, static_cast<std::size_t>(fill_ - put));
        fill_ -= put;
    }
    return false;
}

bool BufferedOutputStream::flush()
{
    const bool written = writeBuffer();
    const bool flushed = target_->flush();
    return written && flushed;
}

bool BufferedOutputStream::setPosition(int64 position)
{
    if (position < 0 || !writeBuffer())
        return false;
    return target_->setPosition(position);
}

int64 BufferedOutputStream::getPosition()
{
    const int64 pos = target_->getPosition();
    return pos < 0 ? -1 : pos + fill_;
}

int BufferedOutputStream::write(const void* buffer, int count)
{
    if (!buffer || count < 1)
        return 0;
    if (fill_ + count <= _bufferSize) {
        std::memcpy(buffer_ + fill_, buffer, static_cast<std::size_t>(count));
        fill_ += count;
        return count;
    }
    if (!writeBuffer())
        return 0;
    if (count >= _bufferSize)
        return target_->write(buffer, count);
    std::memcpy(buffer_, buffer, static_cast<std::size_t>(count));
    fill_ = count;
    return count;
}

} // namespace tessaly::io
