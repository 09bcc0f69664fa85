// One connection to the demo database for the data loggers: UTF-8 text
// statements (the tables themselves are GBK; the server converts), each
// committed on its own.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

struct GatewayOptions;
typedef struct st_mysql MYSQL;

class MariaDbError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class MariaDbConnection {
public:
    MariaDbConnection() = default;
    ~MariaDbConnection();
    MariaDbConnection(const MariaDbConnection&) = delete;
    MariaDbConnection& operator=(const MariaDbConnection&) = delete;

    // Connects to the database named by the options; throws MariaDbError.
    void open(const GatewayOptions& options);
    void close();
    bool isOpen() const { return conn_ != nullptr; }

    // Runs a statement without a result; throws MariaDbError.
    void run(const std::string& statement);
    // Every row of a query, NULL as nullopt; throws MariaDbError.
    using Row = std::vector<std::optional<std::string>>;
    std::vector<Row> query(const std::string& statement);

private:
    [[noreturn]] void fail(const std::string& statement);

    MYSQL* conn_ = nullptr;
};
