#include "db/Database.h"

#include "db/ConnectionPool.h"
#include "db/RecordCaches.h"

bool openDatabase(const std::string& connectionString)
{
    if (!openConnectionPool(connectionString))
        return false;
    loadRecordCaches();
    return true;
}
