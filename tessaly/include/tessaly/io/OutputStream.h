#pragma once

#include "tessaly/core/Types.h"

namespace tessaly::io {

class InputStream;

// A sink of bytes. Numbers are written in the host's byte order with no
// conversion. Only the two-argument write must be supplied.
class OutputStream {
public:
    virtual ~OutputStream() = default;

    virtual bool flush();
    // False when the sink cannot be positioned.
    virtual bool setPosition(core::int64 position);
    // -1 when the sink has no position.
    virtual core::int64 getPosition();
    // Writes count bytes from buffer + offset; 0 for a null buffer,
    // offset < 0 or count < 1.
    virtual int write(const void* buffer, int offset, int count);
    // Returns the number of bytes taken.
    virtual int write(const void* buffer, int count) = 0;
    // One byte, 1 or 0.
    virtual bool writeBool(bool value);
    virtual bool writeChar(char value);
    virtual bool writeShort(short value);
    virtual bool writeInt(int value);
    virtual bool writeInt64(core::int64 value);
    virtual bool writeFloat(float value);
    virtual bool writeDouble(double value);
    // Copies up to count bytes from source; returns how many were written.
    virtual int writeFromInputStream(InputStream& source, int count);
    // Formats like printf and writes the text; returns the bytes written,
    // -1 for a bad format.
    virtual int printf(const char* format, ...) __attribute__((format(printf, 2, 3)));

protected:
    OutputStream() = default;

    bool writeAll(const void* buffer, int n) { return write(buffer, n) == n; }
};

} // namespace tessaly::io
