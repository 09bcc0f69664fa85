#pragma once
// A result streamed row by row from the server (mysql_use_result) on the
// connection of a borrowed soci session: large history results are neither
// buffered twice nor converted through soci's typed holders. Values arrive
// as the server's text.
#include <string>
#include <vector>

#include <mysql.h>

namespace soci {
class session;
}

struct MysqlRow {
    MYSQL_ROW values = nullptr;       // values[i] null for SQL NULL
    unsigned long* lengths = nullptr;
};

class MysqlResultStream {
public:
    MysqlResultStream() = default;
    ~MysqlResultStream();
    MysqlResultStream(const MysqlResultStream&) = delete;
    MysqlResultStream& operator=(const MysqlResultStream&) = delete;

    // Sends the statement; throws soci::soci_error when it fails (so that a
    // lost connection can be retried).
    void start(soci::session& sql, const std::string& statement);
    // Index of a result column by name (case-insensitive); throws if absent.
    std::size_t column(const std::string& name) const;
    enum_field_types fieldType(std::size_t column) const;
    // The next row, or null at the end; throws when the transfer fails.
    const MysqlRow* next();

private:
    MYSQL* conn_ = nullptr;
    MYSQL_RES* result_ = nullptr;
    MYSQL_FIELD* fields_ = nullptr;
    unsigned fieldCount_ = 0;
    MysqlRow row_;
};
