#include "db/ConnectionPool.h"

#include <atomic>
#include <exception>
#include <mutex>

#include <soci/mysql/soci-mysql.h>

#include "app/DevTrace.h"
#include "db/DbLog.h"
#include "db/SocketWake.h"

soci::connection_pool g_connectionPool(kConnectionPoolSize);

namespace {

std::atomic<bool> poolOpen{false};
std::atomic<bool> interrupted{false};

std::mutex connectErrorMutex;
std::string connectError;

void setConnectError(const std::string& text)
{
    std::lock_guard<std::mutex> lock(connectErrorMutex);
    connectError = text;
}

}  // namespace

void closeDatabase()
{
    poolOpen = false;
    for (std::size_t i = 0; i < kConnectionPoolSize; ++i) {
        try {
            g_connectionPool.at(i).close();
        } catch (...) {
            // closing a dead connection may complain; it is gone either way
        }
    }
}

bool isDatabaseOpen()
{
    return poolOpen;
}

std::string lastDatabaseConnectError()
{
    std::lock_guard<std::mutex> lock(connectErrorMutex);
    return connectError;
}

bool databaseWorkInterrupted()
{
    return interrupted;
}

void interruptDatabaseWork()
{
    interrupted = true;
    for (std::size_t i = 0; i < kConnectionPoolSize; ++i) {
        soci::session& session = g_connectionPool.at(i);
        // Every pool session is opened with the MySQL back end (soci does
        // not export its type information, so no dynamic_cast).
        auto* backend = static_cast<soci::mysql_session_backend*>(session.get_backend());
        if (backend == nullptr || backend->conn_ == nullptr)
            continue;
        // The descriptor stays valid until the session is closed, so
        // nothing else can reuse it meanwhile.
        wakeBlockedSocket(mysql_get_socket(backend->conn_));
    }
}

bool openConnectionPool(const std::string& connectionString)
{
    // A session left open by a half-successful earlier attempt would be
    // opened a second time; start from a closed pool instead.
    closeDatabase();
    interrupted = false;
    try {
        for (std::size_t i = 0; i < kConnectionPoolSize; ++i)
            g_connectionPool.at(i).open(soci::mysql, connectionString);
    } catch (const std::exception& e) {
        traceText("!!!!!!!!!!!!0conn db failed!!!!!!!!!!!!!\r\n");
        setConnectError(e.what());
        dbLogError("error:%s connect database", e.what());
        closeDatabase();
        return false;
    } catch (...) {
        traceText("!!!!!!!!!!!!1conn db failed!!!!!!!!!!!!!\r\n");
        setConnectError("unknown error");
        closeDatabase();
        return false;
    }
    setConnectError({});
    poolOpen = true;
    return true;
}
