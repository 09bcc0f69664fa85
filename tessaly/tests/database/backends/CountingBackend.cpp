// A back end that records what it made and what it was given back, so a
// test holding its own reference to the library can check the hand-back.
// Built with and without "releaseConnection" (BACKEND_NO_RELEASE).
#include "BackendMarker.h"
#include "tessaly/database/DBConnectionFactory.h"

using tessaly::database::DBConnection;

namespace {

BackendMarker marker;

// Opaque storage: the loader only stores and returns the pointer, it never
// calls into a connection.
alignas(16) unsigned char slots[4][16];

} // namespace

TESSALY_DB_BACKEND_EXPORT const BackendMarker* backendMarker()
{
    return &marker;
}

TESSALY_DB_BACKEND_EXPORT DBConnection* createConnection()
{
    auto* c = reinterpret_cast<DBConnection*>(slots[marker.made % 4]);
    ++marker.made;
    marker.lastMade = c;
    return c;
}

#if !defined(BACKEND_NO_RELEASE)
TESSALY_DB_BACKEND_EXPORT void releaseConnection(DBConnection* c)
{
    ++marker.released;
    marker.lastReleased = c;
}
#endif
