#pragma once

#include "tessaly/core/Types.h"

namespace tessaly::database {

class DBBulkInserter;
class DBCommand;
class DBDataReader;
class DBStoreProcedureSchema;
class DBTableSchema;

// A connection made by a back end (see DBConnectionFactory.h).
//
// The contract every back end implements:
// - open/close/isOpen: the connection string's form is the back end's own.
// - execute: one or more statements without results; returns rows changed
//   (-1 on an error, with the reason in getLastError).
// - executeQuery: a forward-only DBDataReader over one statement's rows.
// - createCommand: a prepared statement with parameters.
// - Readers and commands are given back with releaseReader/releaseCommand;
//   schemas and bulk inserters with their own release(). All must be given
//   back before the connection is released.
// - Transactions: begin/commit/rollback, false when refused.
// - Texts returned as const char* stay valid until the next call on the
//   same object.
class DBConnection {
public:
    DBConnection() = default;

    virtual bool open(const char* connectionString) = 0;
    virtual void close() = 0;
    virtual bool isOpen() = 0;
    virtual int execute(const char* sql) = 0;
    virtual DBDataReader* executeQuery(const char* sql) = 0;
    virtual DBCommand* createCommand() = 0;
    virtual void releaseCommand(DBCommand* command) = 0;
    virtual void releaseReader(DBDataReader* reader) = 0;
    virtual bool beginTransaction() = 0;
    virtual bool commit() = 0;
    virtual bool rollback() = 0;
    virtual const char* getLastError() = 0;
    // Null when the table does not exist.
    virtual DBTableSchema* getTableSchema(const char* table) = 0;
    // Null when the procedure does not exist or the database has none.
    virtual DBStoreProcedureSchema* getStoreProcedureSchema(const char* name) = 0;
    // Null when the table does not exist.
    virtual DBBulkInserter* createBulkInserter(const char* table) = 0;

protected:
    ~DBConnection() = default;
};

} // namespace tessaly::database
