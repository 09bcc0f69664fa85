#pragma once

#include "tessaly/core/Types.h"

namespace tessaly::database {

class DBLob;

// One field or parameter value. Owned by the reader, command or parameter
// that handed it out, and valid until that object moves on.
class DBValue {
public:
    DBValue() = default;

    // A DBDataType code.
    virtual int getType() = 0;
    virtual bool isNull() = 0;
    // Conversions as the back end's database defines them; 0 for null.
    virtual core::int64 asInt64() = 0;
    virtual double asDouble() = 0;
    // Zero-terminated text; "" for null.
    virtual const char* asText() = 0;
    // Bytes of the text or blob form.
    virtual int getLength() = 0;
    // The raw bytes; null for null or empty values.
    virtual const void* asBlob() = 0;
    // Piecewise access to the bytes; owned by this value.
    virtual DBLob* getLob() = 0;

protected:
    ~DBValue() = default;
};

} // namespace tessaly::database
