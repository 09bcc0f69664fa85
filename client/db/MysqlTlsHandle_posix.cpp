// The database client library connects inside soci's session constructor,
// so TLS options that soci cannot pass are put on the handle here: this
// program's own mysql_real_connect comes first in the dynamic symbol lookup
// (ELF interposition), sets the options on the handle when it connects to
// the configured server, and calls on to the library's function.
#include "db/DatabaseTls.h"

#include <dlfcn.h>
#include <mysql.h>

#include <mutex>

namespace {

struct Target {
    std::string host;
    unsigned port = 0;
    DatabaseTls tls;
};

std::mutex targetMutex;
Target target;

using RealConnect = MYSQL* (*)(MYSQL*, const char*, const char*, const char*, const char*, unsigned int,
                               const char*, unsigned long);

const char* orNull(const std::string& text)
{
    return text.empty() ? nullptr : text.c_str();
}

// Applies the TLS settings for host:port to `mysql`. False when the
// library refuses one of them (the connection must not go ahead in clear).
bool applyTls(MYSQL* mysql, const char* host, unsigned int port)
{
    std::lock_guard<std::mutex> lock(targetMutex);
    if (!target.tls.enabled || host == nullptr || target.host != host || target.port != port)
        return true;
    const DatabaseTls& tls = target.tls;
    my_bool on = 1;
    my_bool verifyHost = tls.verifyHost ? 1 : 0;
    return mysql_ssl_set(mysql, orNull(tls.keyFile), orNull(tls.certFile), orNull(tls.caFile), orNull(tls.caPath),
                         nullptr) == 0 &&
           mysql_options(mysql, MYSQL_OPT_SSL_ENFORCE, &on) == 0 &&
           mysql_options(mysql, MYSQL_OPT_SSL_VERIFY_SERVER_CERT, &verifyHost) == 0 &&
           mysql_optionsv(mysql, MARIADB_OPT_TLS_VERSION, "TLSv1.2,TLSv1.3") == 0;
}

}  // namespace

void setDatabaseTls(const std::string& host, unsigned port, const DatabaseTls& tls)
{
    std::lock_guard<std::mutex> lock(targetMutex);
    target = Target{host, port, tls};
}

void clearDatabaseTls()
{
    std::lock_guard<std::mutex> lock(targetMutex);
    target = Target{};
}

bool isTlsFailure(const std::string& errorText)
{
    return errorText.find("TLS") != std::string::npos || errorText.find("SSL") != std::string::npos;
}

extern "C" MYSQL* STDCALL mysql_real_connect(MYSQL* mysql, const char* host, const char* user, const char* passwd,
                                             const char* db, unsigned int port, const char* unixSocket,
                                             unsigned long clientFlag)
{
    static const auto real = reinterpret_cast<RealConnect>(dlsym(RTLD_NEXT, "mysql_real_connect"));
    if (real == nullptr || mysql == nullptr)
        return nullptr;
    if (!applyTls(mysql, host, port))
        return nullptr;
    return real(mysql, host, user, passwd, db, port, unixSocket, clientFlag);
}
