#include "db/CacheLoad.h"

#include "db/ConnectionPool.h"
#include "db/DbLog.h"
#include "db/PooledSession.h"
#include "db/SessionRetry.h"

bool loadTable(const std::string& table, const std::function<void(const soci::row&)>& readRow,
               const std::function<void(const std::string& what)>& onError)
{
    try {
        PooledSession lease;
        soci::session& sql = lease.get();
        soci::row row;
        soci::statement st(sql);
        // A connection lost before the first row is retried once; rows are
        // handed over only after the statement ran, so nothing repeats.
        runWithReconnect(sql, [&] {
            st = (sql.prepare << "select * from " + table, soci::into(row));
            st.execute(false);
        });
        while (st.fetch())
            readRow(row);
        return true;
    } catch (const std::exception& e) {
        if (onError)
            onError(dbErrorText(e));
        return false;
    }
}
