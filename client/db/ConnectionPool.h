#pragma once
// The client's two database sessions and how they are opened.
//
// Every database operation borrows a session for its duration through a
// PooledSession (PooledSession.h), which waits a bounded time while both
// sessions are lent out and gives the session back when it ends. Sessions
// carry connect, read and write time-outs (SessionTimeouts.h).
#include <cstddef>
#include <string>

#include <soci/soci.h>

inline constexpr std::size_t kConnectionPoolSize = 2;

// Created before main and destroyed after it; opened by openConnectionPool
// (through openDatabase, Database.h).
extern soci::connection_pool g_connectionPool;

// Opens both pool sessions with the MySQL back end. Sessions left open by
// an earlier, half-successful attempt are closed first, and an earlier
// interruptDatabaseWork is lifted. On failure both sessions are closed, the
// error is kept for lastDatabaseConnectError and the result is false.
// No message box here: the login dialog tells the user.
bool openConnectionPool(const std::string& connectionString);

// Closes both sessions (shutdown, and before a retry).
void closeDatabase();

// True once both sessions are open.
bool isDatabaseOpen();

// The error text of the last opening that could not connect; empty
// after a successful one.
std::string lastDatabaseConnectError();
// Ends, within moments, every database call in progress on the pool's
// sessions (their sockets are shut down, so a call blocked on a server
// that no longer answers fails at once), and makes every later borrow
// fail until the pool is opened again. For exit: no query holds it up.
void interruptDatabaseWork();
bool databaseWorkInterrupted();
