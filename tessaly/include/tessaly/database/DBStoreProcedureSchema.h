#pragma once

namespace tessaly::database {

class DBStoreProcParameterSchema;

// A stored procedure's description. Made by
// DBConnection::getStoreProcedureSchema; release() destroys it.
class DBStoreProcedureSchema {
public:
    DBStoreProcedureSchema() = default;

    virtual const char* getName() = 0;
    virtual int getParameterCount() = 0;
    // Null when index is out of range.
    virtual DBStoreProcParameterSchema* getParameter(int index) = 0;
    virtual void release() = 0;

protected:
    virtual ~DBStoreProcedureSchema() = default;
};

} // namespace tessaly::database
