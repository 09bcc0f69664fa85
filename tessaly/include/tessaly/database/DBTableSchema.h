#pragma once

namespace tessaly::database {

class DBTableColumnSchema;

// A table's description. Made by DBConnection::getTableSchema; release()
// destroys it with its columns.
class DBTableSchema {
public:
    DBTableSchema() = default;

    virtual const char* getName() = 0;
    virtual int getColumnCount() = 0;
    // Null when index is out of range.
    virtual DBTableColumnSchema* getColumn(int index) = 0;
    // Null when there is no such column.
    virtual DBTableColumnSchema* findColumn(const char* name) = 0;
    virtual void release() = 0;

protected:
    virtual ~DBTableSchema() = default;
};

} // namespace tessaly::database
