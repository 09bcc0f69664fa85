#pragma once
// One retry after a lost connection: a server that restarted (or dropped
// an idle connection) must not leave the client dead. The work is run
// again only when the session turns out to be disconnected; any other
// failure passes through unchanged, and so does any failure while the
// pool is being shut down.
#include <soci/soci.h>

#include "db/ConnectionPool.h"

template <class Work>
void runWithReconnect(soci::session& sql, Work&& work)
{
    try {
        work();
    } catch (const soci::soci_error&) {
        if (databaseWorkInterrupted() || sql.is_connected())
            throw;
        sql.reconnect();
        work();
    }
}
