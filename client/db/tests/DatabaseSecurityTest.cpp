// The client's database link over TLS and under its own account with least
// privilege, against the services' MariaDB; and servers the client must
// refuse before it logs in (a listener of the test's own that plays the
// start of a MariaDB server and records what the client sends).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include <soci/soci.h>

#include "db/ConnectionPool.h"
#include "db/ConnectionString.h"
#include "db/Database.h"
#include "db/DatabaseTls.h"
#include "db/EMDevice.h"
#include "db/EMDeviceGroupItem.h"
#include "db/EMUser.h"
#include "db/LoginLogic.h"
#include "quorvel_test/TempDir.h"
#include "quorvel_test/TlsRecordingListener.h"
#include "TestDatabase.h"

using quorvel_test::TlsRecordingListener;

namespace {

struct DatabaseSecurity : ::testing::Test {
    void SetUp() override
    {
        host = TestDatabase::requireEnv("QUORVEL_DB_HOST");
        port = static_cast<unsigned>(std::stoi(TestDatabase::requireEnv("QUORVEL_DB_PORT")));
        user = TestDatabase::requireEnv("QUORVEL_DB_CLIENT_USER");
        password = TestDatabase::requireEnv("QUORVEL_DB_CLIENT_PASSWORD");
        tlsDir = TestDatabase::requireEnv("QUORVEL_TLS_DIR");
        tls.enabled = true;
        tls.caFile = TestDatabase::requireEnv("QUORVEL_TLS_CA");
    }
    void TearDown() override
    {
        clearDatabaseTls();
        TestDatabase::closePool();
    }

    // The client tries `listener` with TLS settings `settings`.
    bool openAgainst(const TlsRecordingListener& listener, const DatabaseTls& settings)
    {
        setDatabaseTls("127.0.0.1", static_cast<unsigned>(listener.port()), settings);
        return openDatabase(buildConnectionString("127.0.0.1", static_cast<std::uint16_t>(listener.port()), "quor",
                                                  user, password));
    }

    std::string host, user, password, tlsDir;
    unsigned port = 0;
    DatabaseTls tls;
};


bool statementRefused(const std::string& statement)
{
    try {
        soci::session sql(g_connectionPool);
        sql << statement;
        return false;
    } catch (const soci::soci_error&) {
        return true;
    }
}

}  // namespace

TEST_F(DatabaseSecurity, ClientAccountWorksOverTlsAndCanDoNothingMore)
{
    TestDatabase db({.seed = true});
    setDatabaseTls(host, port, tls);
    const std::string connection = db.connectionString();
    LoginLogic login([connection] { return openDatabase(connection); });
    ASSERT_EQ(login.connect(), LoginStatus::LoggedIn) << lastDatabaseConnectError();
    EXPECT_EQ(login.logIn("admin", "admin123"), LoginStatus::LoggedIn);
    EXPECT_FALSE(EMDevice::all().empty());

    // Both pool sessions run over TLS, as the client account.
    for (int i = 0; i < 2; ++i) {
        soci::session sql(g_connectionPool);
        std::string name, cipher, account;
        sql << "show session status like 'Ssl_cipher'", soci::into(name), soci::into(cipher);
        sql << "select current_user()", soci::into(account);
        EXPECT_FALSE(cipher.empty()) << "session " << i << " is not encrypted";
        std::string version;
        sql << "show session status like 'Ssl_version'", soci::into(name), soci::into(version);
        EXPECT_TRUE(version == "TLSv1.2" || version == "TLSv1.3") << version;
        EXPECT_EQ(account, user + "@%");
    }

    // What the client does: change a password, edit a data point.
    EXPECT_EQ(login.checkOldPassword("admin", "admin123"), LoginStatus::OldPasswordAccepted);
    EXPECT_EQ(login.applyNewPassword("n3w-pass"), LoginStatus::PasswordChanged);
    {
        auto admin = db.openSession();
        std::string stored;
        *admin << "select password from em_user where login_name='admin'", soci::into(stored);
        EXPECT_EQ(stored, "n3w-pass");
    }
    EMDeviceGroupItem* item = EMDeviceGroupItem::all().at("i1");
    item->c3 = "m3/h";
    EXPECT_TRUE(item->update());

    // Nothing beyond that: other columns, other statements, other tables.
    EXPECT_TRUE(statementRefused("update em_user set role='r1' where id='u2'"));
    EXPECT_TRUE(statementRefused("insert into em_user (id, login_name) values ('x', 'intruder')"));
    EXPECT_TRUE(statementRefused("delete from em_user_device"));
    EXPECT_TRUE(statementRefused("update em_device set name='x'"));
    EXPECT_TRUE(statementRefused("drop table data_g1"));
    EXPECT_TRUE(statementRefused("create table intruder (id int)"));
    EXPECT_TRUE(statementRefused("select * from mysql.user"));
}

TEST_F(DatabaseSecurity, ServerOfAnotherCaNeverGetsTheLogin)
{
    TlsRecordingListener rogue(tlsDir + "/other-server.pem", tlsDir + "/other-server.key",
                               TlsRecordingListener::Preamble::MysqlGreeting);
    EXPECT_FALSE(openAgainst(rogue, tls));
    EXPECT_TRUE(isTlsFailure(lastDatabaseConnectError())) << lastDatabaseConnectError();
    EXPECT_GE(rogue.connections(), 1);
    EXPECT_EQ(rogue.handshakesCompleted(), 0);
    EXPECT_EQ(rogue.received().find(user), std::string::npos);
}

TEST_F(DatabaseSecurity, CertificateForAnotherHostIsRefusedUnlessTheCheckIsOff)
{
    {
        TlsRecordingListener wrongName(tlsDir + "/wrong-name.pem", tlsDir + "/wrong-name.key",
                                       TlsRecordingListener::Preamble::MysqlGreeting);
        EXPECT_FALSE(openAgainst(wrongName, tls));
        EXPECT_TRUE(isTlsFailure(lastDatabaseConnectError())) << lastDatabaseConnectError();
        EXPECT_EQ(wrongName.received().find(user), std::string::npos);
    }
    // With the check off the same certificate is taken (its CA is trusted)
    // and the login arrives inside TLS: the listener sees what a leak is.
    TlsRecordingListener wrongName(tlsDir + "/wrong-name.pem", tlsDir + "/wrong-name.key",
                                   TlsRecordingListener::Preamble::MysqlGreeting);
    DatabaseTls lax = tls;
    lax.verifyHost = false;
    EXPECT_FALSE(openAgainst(wrongName, lax));  // the listener never answers the login
    EXPECT_GE(wrongName.handshakesCompleted(), 1);
    EXPECT_NE(wrongName.received().find(user), std::string::npos);
}

TEST_F(DatabaseSecurity, ServerWithoutTlsGetsNoLogin)
{
    TlsRecordingListener plain(tlsDir + "/server.pem", tlsDir + "/server.key",
                               TlsRecordingListener::Preamble::MysqlGreetingWithoutTls);
    EXPECT_FALSE(openAgainst(plain, tls));
    EXPECT_GE(plain.connections(), 1);
    EXPECT_EQ(plain.received().find(user), std::string::npos) << "the login went out in clear";
}

TEST_F(DatabaseSecurity, CaFolderOfHashedCertificatesIsTrusted)
{
    TempDir folder;
    std::filesystem::copy_file(tls.caFile, folder.file("site-ca.pem"));
    ASSERT_EQ(std::system(("openssl rehash " + folder.path().string() + " >/dev/null 2>&1").c_str()), 0);
    DatabaseTls byFolder = tls;
    byFolder.caFile.clear();
    byFolder.caPath = folder.path().string();
    TestDatabase db({.seed = true});
    setDatabaseTls(host, port, byFolder);
    EXPECT_TRUE(openDatabase(db.connectionString())) << lastDatabaseConnectError();
    closeDatabase();

    // The same folder does not make another CA's server trusted.
    TlsRecordingListener rogue(tlsDir + "/other-server.pem", tlsDir + "/other-server.key",
                               TlsRecordingListener::Preamble::MysqlGreeting);
    EXPECT_FALSE(openAgainst(rogue, byFolder));
    EXPECT_EQ(rogue.received().find(user), std::string::npos);
}
