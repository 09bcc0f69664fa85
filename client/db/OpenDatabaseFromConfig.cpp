#include "db/ConnectionPool.h"

#include "app/Config.h"

bool openDatabase()
{
    const ConfigWorkParam& p = Singleton<Config>::getInstance()->workParam;
    return openDatabase(buildConnectionString(p.dbIp, p.dbPort, p.dbName, p.dbUser, p.dbPassword));
}
