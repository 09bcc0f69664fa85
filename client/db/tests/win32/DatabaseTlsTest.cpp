#include <gtest/gtest.h>

#include <windows.h>

#include <soci/mysql/soci-mysql.h>
#include <soci/soci.h>

#include <cstdlib>
#include <string>

#include "db/DatabaseTls.h"

namespace {

std::string env(const char* name)
{
    const char* v = std::getenv(name);
    return v ? v : "";
}

struct Server {
    std::string host = env("QUORVEL_DB_HOST");
    std::string port = env("QUORVEL_DB_PORT");
    std::string user = env("QUORVEL_DB_USER");
    std::string password = env("QUORVEL_DB_PASSWORD");
    std::string connection() const
    {
        return "host=" + host + " port=" + port + " user=" + user + " password='" + password + "'";
    }
};

// The cipher of the session's link; empty for a plain connection.
std::string cipherOf(soci::session& s)
{
    std::string name, value;
    s << "SHOW SESSION STATUS LIKE 'Ssl_cipher'", soci::into(name), soci::into(value);
    return value;
}

} // namespace

// Wine's crypt32 refuses the chain engine that Connector/C's Schannel code
// builds for a private CA (exclusive root store): certificate verification
// can only be checked on Windows itself.
bool underWine()
{
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

TEST(ClientDbWin32, TlsIsPutOnTheHandleOfEverySession)
{
    const Server db;
    ASSERT_FALSE(db.host.empty()) << "QUORVEL_DB_* not set (scripts/services.sh)";
    const unsigned port = static_cast<unsigned>(std::atoi(db.port.c_str()));

    // Without settings the session runs in clear: the encryption below is ours.
    clearDatabaseTls();
    {
        soci::session s(soci::mysql, db.connection());
        EXPECT_EQ(cipherOf(s), "");
    }
    DatabaseTls tls;
    tls.enabled = true;
    tls.verifyHost = false;
    setDatabaseTls(db.host, port, tls);
    for (int i = 0; i < 2; ++i) {
        soci::session s(soci::mysql, db.connection());
        EXPECT_NE(cipherOf(s), "") << "session " << i << " is not encrypted";
    }
    // Another server (port) is left as it is.
    setDatabaseTls(db.host, port + 1, tls);
    {
        soci::session s(soci::mysql, db.connection());
        EXPECT_EQ(cipherOf(s), "");
    }
    clearDatabaseTls();
}

TEST(ClientDbWin32, ThePrivateCaIsTrustedAndAnotherRefused)
{
    if (underWine())
        GTEST_SKIP() << "certificate chains against a private CA need Windows' own crypt32";
    const Server db;
    ASSERT_FALSE(db.host.empty());
    const unsigned port = static_cast<unsigned>(std::atoi(db.port.c_str()));
    DatabaseTls tls;
    tls.enabled = true;
    tls.caFile = env("QUORVEL_TLS_CA");
    tls.verifyHost = true;
    setDatabaseTls(db.host, port, tls);
    {
        soci::session s(soci::mysql, db.connection());
        EXPECT_NE(cipherOf(s), "");
    }
    tls.caFile = env("QUORVEL_TLS_CLIENT_CERT");
    setDatabaseTls(db.host, port, tls);
    try {
        soci::session s(soci::mysql, db.connection());
        ADD_FAILURE() << "connected to a server whose certificate does not verify";
    } catch (const soci::soci_error& e) {
        EXPECT_TRUE(isTlsFailure(e.what())) << e.what();
    }
    clearDatabaseTls();
}
