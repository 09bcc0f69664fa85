#pragma once

#include "tessaly/core/NonCopyable.h"
#include "tessaly/io/InputStream.h"

namespace tessaly::io {

// Reads its source through an 8 192-byte buffer.
class BufferedInputStream : public InputStream, public core::NonCopyable {
public:
    static constexpr int _bufferSize = 8192;

    // Throws IllegalArgumentException for a null source; the source is
    // deleted with this stream when ownsSource is set.
    BufferedInputStream(InputStream* source, bool ownsSource);
    ~BufferedInputStream() override;

    core::int64 getTotalCount() override;
    bool available() override;
    core::int64 getPosition() override;
    // Moves inside the buffered window without touching the source.
    bool setPosition(core::int64 position) override;
    using InputStream::read;
    // Fewer than the buffered bytes are served from the buffer; otherwise
    // the buffered bytes, the rest straight from the source and, when the
    // source delivered all of it, one refill of the buffer.
    int read(void* buffer, int count) override;
    // Looks ahead in the buffer, so it also works over unpositionable sources.
    core::String readNextLine() override;

private:
    bool fill();
    int buffered() const { return count_ - offset_; }

    InputStream* source_;
    bool ownsSource_;
    char buffer_[_bufferSize];
    int count_ = 0;
    int offset_ = 0;
};

} // namespace tessaly::io
