#pragma once

namespace tessaly::database {

class DBTVector;

// Inserts many rows into one table. Made by DBConnection::createBulkInserter;
// release() writes what is pending and destroys it.
class DBBulkInserter {
public:
    DBBulkInserter() = default;

    // The row to fill before addRow; one field per column of the table.
    virtual DBTVector* row() = 0;
    // Queues the filled row and clears the buffer; false on an error.
    virtual bool addRow() = 0;
    // Writes the queued rows; returns how many went in, -1 on an error.
    virtual int flush() = 0;
    virtual void release() = 0;

protected:
    virtual ~DBBulkInserter() = default;
};

} // namespace tessaly::database
