// Back ends that fail in the ways the loader must report. Which one is
// built is chosen by a compile definition.
#include "tessaly/database/DBConnectionFactory.h"

using tessaly::database::DBConnection;

#if defined(BACKEND_NULL_CONNECTION)
// Has the entry point, but makes no connection.
TESSALY_DB_BACKEND_EXPORT DBConnection* createConnection()
{
    return nullptr;
}
#elif defined(BACKEND_NO_ENTRY)
// Exports something, but not the entry point.
TESSALY_DB_BACKEND_EXPORT int createConnections()
{
    return 0;
}
#endif
