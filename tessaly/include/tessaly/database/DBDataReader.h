#pragma once

#include "tessaly/core/Types.h"

namespace tessaly::database {

class DBValue;

// A forward-only cursor over a result. Released through
// DBConnection::releaseReader. Column indexes are zero-based; getters on an
// index out of range return 0, "" or null.
class DBDataReader {
public:
    DBDataReader() = default;

    // Moves to the next row; false at the end or on an error.
    virtual bool read() = 0;
    virtual int getFieldCount() = 0;
    virtual const char* getFieldName(int index) = 0;
    // -1 when there is no such column.
    virtual int getFieldIndex(const char* name) = 0;
    virtual bool isNull(int index) = 0;
    virtual int getInt(int index) = 0;
    virtual core::int64 getInt64(int index) = 0;
    virtual double getDouble(int index) = 0;
    // Valid until the next read(); "" for null.
    virtual const char* getString(int index) = 0;
    // Valid until the next read(); owned by the reader.
    virtual DBValue* getValue(int index) = 0;
    // Ends the cursor early; read() then returns false.
    virtual void close() = 0;

protected:
    ~DBDataReader() = default;
};

} // namespace tessaly::database
