#include "db/ConnectionPool.h"

#include "app/Config.h"
#include "db/SessionTimeouts.h"

bool openDatabase()
{
    const ConfigWorkParam& p = Singleton<Config>::getInstance()->workParam;
    SessionTimeouts timeouts;
    timeouts.connectSeconds = p.dbTimeouts.connectSeconds.value_or(timeouts.connectSeconds);
    timeouts.readSeconds = p.dbTimeouts.readSeconds.value_or(timeouts.readSeconds);
    timeouts.writeSeconds = p.dbTimeouts.writeSeconds.value_or(timeouts.writeSeconds);
    return openDatabase(withSessionTimeouts(
        buildConnectionString(p.dbIp, p.dbPort, p.dbName, p.dbUser, p.dbPassword), timeouts));
}
