#include "db/PooledSession.h"

#include <algorithm>
#include <string>

#include "db/ConnectionPool.h"
#include "db/SessionTimeouts.h"

PooledSession::PooledSession() : PooledSession(poolBorrowWait()) {}

PooledSession::PooledSession(std::chrono::milliseconds wait)
{
    // Waits in slices so that an interruption (exit) is seen soon.
    constexpr long long kSliceMs = 100;
    for (long long waited = 0;; waited += kSliceMs) {
        if (databaseWorkInterrupted())
            throw soci::soci_error("database sessions are closing");
        const long long slice = std::min(kSliceMs, std::max(0LL, static_cast<long long>(wait.count()) - waited));
        if (g_connectionPool.try_lease(position_, static_cast<int>(slice)))
            break;
        if (waited + slice >= wait.count())
            throw soci::soci_error("no free database session within " + std::to_string(wait.count()) +
                                   " ms: both sessions are busy (is the database server reachable?)");
    }
    session_ = &g_connectionPool.at(position_);
}

PooledSession::~PooledSession()
{
    g_connectionPool.give_back(position_);
}
