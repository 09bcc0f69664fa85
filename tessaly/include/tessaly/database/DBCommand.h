#pragma once

namespace tessaly::database {

class DBDataReader;
class DBParameterCollection;
class DBValue;

// A prepared statement with parameters. Made by DBConnection::createCommand
// and given back with DBConnection::releaseCommand.
class DBCommand {
public:
    DBCommand() = default;

    // Prepares the statement; false (see getLastError) when it does not compile.
    virtual bool setCommandText(const char* sql) = 0;
    virtual const char* getCommandText() = 0;
    // The statement's parameters; owned by the command.
    virtual DBParameterCollection* getParameters() = 0;
    // Rows changed, -1 on an error.
    virtual int executeNonQuery() = 0;
    // A reader over the result, null on an error; release it through the
    // connection before executing this command again.
    virtual DBDataReader* executeReader() = 0;
    // The first field of the first row, null when there is none or on an
    // error; valid until the next execution.
    virtual DBValue* executeScalar() = 0;
    // Makes the statement ready to run again, keeping the bound values.
    virtual void reset() = 0;
    virtual const char* getLastError() = 0;

protected:
    ~DBCommand() = default;
};

} // namespace tessaly::database
