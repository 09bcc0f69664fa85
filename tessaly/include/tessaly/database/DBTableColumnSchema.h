#pragma once

namespace tessaly::database {

// One column of a table. Owned by its DBTableSchema.
class DBTableColumnSchema {
public:
    DBTableColumnSchema() = default;

    virtual const char* getName() = 0;
    // The declared type as the database spells it.
    virtual const char* getTypeName() = 0;
    // The closest DBDataType.
    virtual int getType() = 0;
    virtual bool isNullable() = 0;
    virtual bool isPrimaryKey() = 0;
    // The default's text, null when there is none.
    virtual const char* getDefaultValue() = 0;
    // Zero-based position in the table.
    virtual int getOrdinal() = 0;

protected:
    ~DBTableColumnSchema() = default;
};

} // namespace tessaly::database
