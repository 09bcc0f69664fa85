#pragma once

#include "tessaly/core/NonCopyable.h"
#include "tessaly/io/OutputStream.h"

namespace tessaly::io {

// Collects writes in an 8 192-byte buffer before they reach the target.
class BufferedOutputStream : public OutputStream, public core::NonCopyable {
public:
    static constexpr int _bufferSize = 8192;

    // Throws IllegalArgumentException for a null target; the target is
    // deleted with this stream when ownsTarget is set.
    BufferedOutputStream(OutputStream* target, bool ownsTarget);
    // Writes out what is still buffered.
    ~BufferedOutputStream() override;

    // Writes the buffered bytes (false when the target took fewer; those
    // stay buffered), then flushes the target.
    bool flush() override;
    // Writes out the buffer, then positions the target; false when negative.
    bool setPosition(core::int64 position) override;
    // Target position plus the buffered bytes.
    core::int64 getPosition() override;
    using OutputStream::write;
    // Appended when it fits; otherwise the buffer goes out first, then
    // 8 192 bytes or more go straight to the target and less is buffered.
    int write(const void* buffer, int count) override;

private:
    bool writeBuffer();

    OutputStream* target_;
    bool ownsTarget_;
    char buffer_[_bufferSize];
    int fill_ = 0;
};

} // namespace tessaly::io
