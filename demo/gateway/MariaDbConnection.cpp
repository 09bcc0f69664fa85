#include "MariaDbConnection.h"

#include "GatewayOptions.h"

#include <mysql.h>

MariaDbConnection::~MariaDbConnection() { close(); }

void MariaDbConnection::open(const GatewayOptions& options) {
    close();
    conn_ = mysql_init(nullptr);
    if (conn_ == nullptr) {
        throw MariaDbError("out of memory");
    }
    mysql_options(conn_, MYSQL_SET_CHARSET_NAME, "utf8mb4");
    // A dead server must not hold the logger thread for long.
    unsigned timeout = 10;
    mysql_options(conn_, MYSQL_OPT_CONNECT_TIMEOUT, &timeout);
    mysql_options(conn_, MYSQL_OPT_READ_TIMEOUT, &timeout);
    if (mysql_real_connect(conn_, options.dbHost.c_str(), options.dbUser.c_str(), options.dbPassword.c_str(),
                           options.dbName.c_str(), static_cast<unsigned>(options.dbPort), nullptr, 0) == nullptr) {
        fail("connect");
    }
}

void MariaDbConnection::close() {
    if (conn_ != nullptr) {
        mysql_close(conn_);
        conn_ = nullptr;
    }
}

void MariaDbConnection::fail(const std::string& statement) {
    std::string message = conn_ != nullptr ? mysql_error(conn_) : "not connected";
    close();  // the next use reconnects rather than guessing the session's state
    throw MariaDbError(message + " (" + statement.substr(0, 120) + ")");
}

void MariaDbConnection::run(const std::string& statement) {
    if (conn_ == nullptr || mysql_real_query(conn_, statement.data(), statement.size()) != 0) {
        fail(statement);
    }
}

std::vector<MariaDbConnection::Row> MariaDbConnection::query(const std::string& statement) {
    run(statement);
    MYSQL_RES* result = mysql_store_result(conn_);
    if (result == nullptr) {
        fail(statement);
    }
    const unsigned fields = mysql_num_fields(result);
    std::vector<Row> rows;
    while (MYSQL_ROW row = mysql_fetch_row(result)) {
        const unsigned long* lengths = mysql_fetch_lengths(result);
        Row& out = rows.emplace_back();
        for (unsigned i = 0; i < fields; ++i) {
            if (row[i] == nullptr) {
                out.emplace_back();
            } else {
                out.emplace_back(std::string(row[i], lengths[i]));
            }
        }
    }
    mysql_free_result(result);
    return rows;
}
