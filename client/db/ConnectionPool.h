#pragma once
// The client's two database sessions and how they are opened.
//
// Every database operation borrows a session for its duration through a
// PooledSession (PooledSession.h), which waits a bounded time while both
// sessions are lent out and gives the session back when it ends. Sessions
// carry connect, read and write time-outs (SessionTimeouts.h).
#include <cstddef>
#include <cstdint>
#include <string>

#include <soci/soci.h>

inline constexpr std::size_t kConnectionPoolSize = 2;

// Created before main and destroyed after it; opened by openDatabase.
extern soci::connection_pool g_connectionPool;

// "host=<ip> port=<port> db=<name> user=<user> password=<pwd> charset=GBK",
// each value written by connectionStringValue (quoted when it must be).
std::string buildConnectionString(const std::string& dbIp, std::uint16_t dbPort,
                                  const std::string& dbName, const std::string& dbUser,
                                  const std::string& dbPassword);

// Opens both pool sessions with the MySQL back end and then loads every
// record cache (devices, protocols, channels, groups, items, users,
// user-device, role-module, modules, roles). Sessions left open by an
// earlier, half-successful attempt are closed first. On a connection failure
// nothing is loaded and the result is false; failed loaders only log.
// No message box here: the login dialog tells the user.
bool openDatabase(const std::string& connectionString);

// The same with the connection string built from Config's workParam.
bool openDatabase();

// Closes both sessions (shutdown, and before a retry).
void closeDatabase();

// True once both sessions are open.
bool isDatabaseOpen();

// The error text of the last openDatabase that could not connect; empty
// after a successful one.
std::string lastDatabaseConnectError();
// Ends, within moments, every database call in progress on the pool's
// sessions (their sockets are shut down, so a call blocked on a server
// that no longer answers fails at once), and makes every later borrow
// fail until the pool is opened again. For exit: no query holds it up.
void interruptDatabaseWork();
bool databaseWorkInterrupted();
