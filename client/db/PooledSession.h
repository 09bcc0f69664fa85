#pragma once
// A session borrowed from g_connectionPool for the duration of one database
// operation, waiting at most poolBorrowWait() for a free one:
//
//   PooledSession lease;            // throws soci::soci_error when none frees up
//   soci::session& sql = lease.get();
//
// The session goes back to the pool when the lease ends. While the pool is
// being shut down (interruptDatabaseWork) borrowing fails at once.
#include <chrono>
#include <cstddef>

#include <soci/soci.h>

class PooledSession {
public:
    PooledSession();
    explicit PooledSession(std::chrono::milliseconds wait);
    ~PooledSession();
    PooledSession(const PooledSession&) = delete;
    PooledSession& operator=(const PooledSession&) = delete;

    soci::session& get() { return *session_; }

private:
    std::size_t position_ = 0;
    soci::session* session_ = nullptr;
};
