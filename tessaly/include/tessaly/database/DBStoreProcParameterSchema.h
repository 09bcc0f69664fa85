#pragma once

namespace tessaly::database {

// One parameter of a stored procedure. Owned by its DBStoreProcedureSchema.
class DBStoreProcParameterSchema {
public:
    DBStoreProcParameterSchema() = default;

    virtual const char* getName() = 0;
    // The closest DBDataType.
    virtual int getType() = 0;
    // A DBParameterDirection.
    virtual int getDirection() = 0;

protected:
    ~DBStoreProcParameterSchema() = default;
};

} // namespace tessaly::database
