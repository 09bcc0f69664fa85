#pragma once

#include "tessaly/core/Types.h"

namespace tessaly::database {

class DBValue;

// A row of typed values being assembled, as a bulk inserter's row buffer.
// Owned by the object that hands it out.
class DBTVector {
public:
    DBTVector() = default;

    virtual int size() = 0;
    virtual bool setNull(int index) = 0;
    virtual bool setInt64(int index, core::int64 value) = 0;
    virtual bool setDouble(int index, double value) = 0;
    virtual bool setText(int index, const char* value) = 0;
    virtual bool setBlob(int index, const void* data, int size) = 0;
    // The value at index; null when out of range.
    virtual DBValue* get(int index) = 0;
    // Every field back to null.
    virtual void clear() = 0;

protected:
    virtual ~DBTVector() = default;
};

} // namespace tessaly::database
