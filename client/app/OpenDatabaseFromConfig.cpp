#include "app/OpenDatabaseFromConfig.h"

#include <sys/stat.h>

#include "app/Config.h"
#include "db/ConnectionString.h"
#include "db/Database.h"
#include "db/DatabaseTls.h"
#include "db/DbLog.h"
#include "db/SessionTimeouts.h"

namespace {

// The configured TLS settings with paths beside the program; a CA folder
// goes to the folder setting.
DatabaseTls databaseTls(const TlsParam& param)
{
    DatabaseTls tls;
    tls.enabled = param.enabled;
    const std::string ca = TlsParam::resolve(param.ca);
    struct stat info {};
    if (!ca.empty() && ::stat(ca.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        tls.caPath = ca;
    else
        tls.caFile = ca;
    tls.certFile = TlsParam::resolve(param.cert);
    tls.keyFile = TlsParam::resolve(param.key);
    tls.verifyHost = param.verifyHost;
    return tls;
}

}  // namespace

bool openDatabase()
{
    const ConfigWorkParam& p = Singleton<Config>::getInstance()->workParam;
    setDatabaseTls(p.dbIp, p.dbPort, databaseTls(p.dbTls));
    if (!p.dbTls.enabled && !isLoopbackHost(p.dbIp))
        dbLogInfo("warning: the database connection to %s is plain TCP: its traffic, user table included, "
                  "crosses the network unencrypted (set tls=\"1\" on <DB>)",
                  p.dbIp + ":" + std::to_string(p.dbPort));
    SessionTimeouts timeouts;
    timeouts.connectSeconds = p.dbTimeouts.connectSeconds.value_or(timeouts.connectSeconds);
    timeouts.readSeconds = p.dbTimeouts.readSeconds.value_or(timeouts.readSeconds);
    timeouts.writeSeconds = p.dbTimeouts.writeSeconds.value_or(timeouts.writeSeconds);
    return openDatabase(withSessionTimeouts(
        buildConnectionString(p.dbIp, p.dbPort, p.dbName, p.dbUser, p.dbPassword), timeouts));
}
