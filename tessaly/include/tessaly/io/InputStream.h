#pragma once

#include "tessaly/core/String.h"
#include "tessaly/core/Types.h"

namespace tessaly::io {

// A source of bytes. Numbers are read in the host's byte order with no
// conversion. Only the two-argument read must be supplied; the other
// operations have defaults built on it.
class InputStream {
public:
    virtual ~InputStream() = default;

    // Total bytes of the source, -1 when unknown.
    virtual core::int64 getTotalCount();
    // True while more bytes can be read.
    virtual bool available();
    // Current position, -1 when the source has none.
    virtual core::int64 getPosition();
    // False when the source cannot be positioned.
    virtual bool setPosition(core::int64 position);
    // 0 when buffer is null, offset < 0 or count < 1.
    virtual int read(void* buffer, int offset, int count);
    virtual int read(void* buffer, int count) = 0;
    // `ok` (optional) is false and the result 0 when too few bytes came.
    virtual bool readBool(bool* ok = nullptr);
    virtual char readChar(bool* ok = nullptr);
    virtual short readShort(bool* ok = nullptr);
    virtual int readInt(bool* ok = nullptr);
    virtual core::int64 readInt64(bool* ok = nullptr);
    virtual float readFloat(bool* ok = nullptr);
    virtual double readDouble(bool* ok = nullptr);
    // The characters up to the next CR, LF, CR LF or LF CR (not included),
    // or up to the end of input; empty when nothing is available. A single
    // look-ahead character that is not part of the break is put back with
    // setPosition.
    virtual core::String readNextLine();
    // Reads and discards up to n bytes; returns how many were skipped.
    virtual core::int64 skipBytes(core::int64 n);

protected:
    InputStream() = default;

    // Reads exactly n bytes; false when fewer came.
    bool readFully(void* buffer, int n);
};

} // namespace tessaly::io
