#include "db/PooledSession.h"

#include <string>

#include "db/ConnectionPool.h"
#include "db/SessionTimeouts.h"

PooledSession::PooledSession() : PooledSession(poolBorrowWait()) {}

PooledSession::PooledSession(std::chrono::milliseconds wait)
{
    if (databaseWorkInterrupted())
        throw soci::soci_error("database sessions are closing");
    if (!g_connectionPool.try_lease(position_, static_cast<int>(wait.count())))
        throw soci::soci_error("no free database session within " + std::to_string(wait.count()) +
                               " ms: both sessions are busy (is the database server reachable?)");
    session_ = &g_connectionPool.at(position_);
}

PooledSession::~PooledSession()
{
    g_connectionPool.give_back(position_);
}
