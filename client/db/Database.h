#pragma once
// Opening the client's database: the pool's two sessions, then every record
// cache. Closing is closeDatabase (ConnectionPool.h); the caches are emptied
// with releaseRecordCaches (RecordCaches.h).
#include <string>

// Opens both pool sessions (openConnectionPool) and then loads every record
// cache (loadRecordCaches). On a connection failure nothing is loaded and
// the result is false; failed loaders only log.
bool openDatabase(const std::string& connectionString);
