#include "db/DatabaseTls.h"

#include <mutex>

#include "db/DatabaseTlsHook.h"

namespace {

struct Target {
    std::string host;
    unsigned port = 0;
    DatabaseTls tls;
};

std::mutex targetMutex;
Target target;

const char* orNull(const std::string& text)
{
    return text.empty() ? nullptr : text.c_str();
}

}  // namespace

bool applyDatabaseTls(MYSQL* mysql, const char* host, unsigned int port)
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

void setDatabaseTls(const std::string& host, unsigned port, const DatabaseTls& tls)
{
    {
        std::lock_guard<std::mutex> lock(targetMutex);
        target = Target{host, port, tls};
    }
    if (tls.enabled)
        hookDatabaseConnects();
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
