#pragma once

#include "tessaly/core/Types.h"

namespace tessaly::database {

class DBValue;

// One parameter of a prepared command. Owned by its DBParameterCollection.
// Setters return false when the value could not be bound.
class DBParameter {
public:
    DBParameter() = default;

    // The parameter's name including its marker (":id"), "" when unnamed.
    virtual const char* getName() = 0;
    // Zero-based position in the command.
    virtual int getIndex() = 0;
    virtual bool setNull() = 0;
    virtual bool setBool(bool value) = 0;
    virtual bool setInt(int value) = 0;
    virtual bool setInt64(core::int64 value) = 0;
    virtual bool setDouble(double value) = 0;
    // Copies the zero-terminated text.
    virtual bool setText(const char* value) = 0;
    // Copies size bytes.
    virtual bool setBlob(const void* data, int size) = 0;
    // The DBDataType of the bound value; DBTypeNull when unbound.
    virtual int getType() = 0;
    // The bound value; owned by this parameter.
    virtual DBValue* getValue() = 0;
    virtual bool isBound() = 0;
    // Unbinds (the parameter reads as null).
    virtual void clear() = 0;

protected:
    ~DBParameter() = default;
};

} // namespace tessaly::database
