// The login dialog's decisions against a real database.
#include <gtest/gtest.h>

#include <soci/soci.h>

#include "LogCapture.h"
#include "TcpForwarder.h"
#include "TestDatabase.h"
#include "db/ConnectionPool.h"
#include "db/EMDevice.h"
#include "db/EMUser.h"
#include "db/LoginLogic.h"

namespace {

std::string storedPassword(TestDatabase& db, const std::string& id)
{
    auto sql = db.openSession();
    std::string password;
    *sql << "select password from em_user where id = :id", soci::use(id), soci::into(password);
    return password;
}

LoginLogic loginOn(const TestDatabase& db)
{
    std::string connection = db.connectionString();
    return LoginLogic([connection] { return openDatabase(connection); });
}

std::string relayedConnection(const TestDatabase& db, const TcpForwarder& relay)
{
    return buildConnectionString("127.0.0.1", static_cast<std::uint16_t>(relay.port()), db.name(),
                                 TestDatabase::requireEnv("QUORVEL_DB_USER"),
                                 TestDatabase::requireEnv("QUORVEL_DB_PASSWORD"));
}

}  // namespace

TEST(Login, UserAndPasswordChecks)
{
    TestDatabase db({.seed = true});
    LoginLogic login = loginOn(db);
    ASSERT_EQ(login.connect(), LoginStatus::LoggedIn);
    EXPECT_EQ(login.logIn("nobody", "admin123"), LoginStatus::UnknownUser);
    EXPECT_EQ(login.logIn("Admin", "admin123"), LoginStatus::UnknownUser);  // exact case
    EXPECT_EQ(login.logIn("admin", "ADMIN123"), LoginStatus::WrongPassword);
    EXPECT_EQ(login.logIn("admin", "admin12"), LoginStatus::WrongPassword);
    EXPECT_EQ(login.logIn("admin", "admin123"), LoginStatus::LoggedIn);
    ASSERT_NE(login.user(), nullptr);
    EXPECT_EQ(login.user()->id, "u1");
    EXPECT_EQ(login.logIn("guest", ""), LoginStatus::LoggedIn);  // empty stored password
    EXPECT_EQ(login.logIn("guest", "x"), LoginStatus::WrongPassword);
}

TEST(Login, PasswordChangeWritesTheNewPassword)
{
    TestDatabase db({.seed = true});
    LoginLogic login = loginOn(db);
    ASSERT_EQ(login.connect(), LoginStatus::LoggedIn);
    EXPECT_EQ(login.checkOldPassword("ghost", "x"), LoginStatus::UnknownUser);
    EXPECT_EQ(login.checkOldPassword("oper", "wrong"), LoginStatus::WrongOldPassword);
    ASSERT_EQ(login.checkOldPassword("oper", "oper123"), LoginStatus::OldPasswordAccepted);
    EXPECT_EQ(login.applyNewPassword(""), LoginStatus::EmptyNewPassword);
    EXPECT_EQ(storedPassword(db, "u2"), "oper123");
    EXPECT_EQ(login.user()->password, "oper123");

    const std::string newPassword = TestDatabase::gbk("新密码9");
    ASSERT_EQ(login.applyNewPassword(newPassword), LoginStatus::PasswordChanged);
    EXPECT_EQ(storedPassword(db, "u2"), newPassword);
    EXPECT_EQ(EMUser::getByLoginName("oper")->password, newPassword);
    EXPECT_EQ(login.logIn("oper", newPassword), LoginStatus::LoggedIn);
    EXPECT_EQ(login.logIn("oper", "oper123"), LoginStatus::WrongPassword);
}

TEST(Login, AFailedPasswordUpdateIsReportedAndTheOldPasswordKept)
{
    TestDatabase db({.seed = true});
    LoginLogic login = loginOn(db);
    ASSERT_EQ(login.connect(), LoginStatus::LoggedIn);
    ASSERT_EQ(login.checkOldPassword("admin", "admin123"), LoginStatus::OldPasswordAccepted);
    db.execute("rename table em_user to em_user_away");  // the update cannot reach its row
    LogCapture log;
    EXPECT_EQ(login.applyNewPassword("brand-new"), LoginStatus::PasswordChangeFailed);
    EXPECT_EQ(EMUser::getByLoginName("admin")->password, "admin123");
    ASSERT_EQ(log.errors().size(), 1u);
    EXPECT_EQ(log.errors()[0].rfind("error:", 0), 0u);
    EXPECT_NE(log.errors()[0].find("update user"), std::string::npos);

    db.execute("rename table em_user_away to em_user");
    EXPECT_EQ(storedPassword(db, "u1"), "admin123");
    EXPECT_EQ(login.logIn("admin", "admin123"), LoginStatus::LoggedIn);
    EXPECT_EQ(login.logIn("admin", "brand-new"), LoginStatus::WrongPassword);
}

TEST(Login, ServerThatComesUpLateIsReachedByTheNextLogin)
{
    TestDatabase db({.seed = true});
    TcpForwarder relay(TestDatabase::requireEnv("QUORVEL_DB_HOST"),
                       std::stoi(TestDatabase::requireEnv("QUORVEL_DB_PORT")));
    std::string connection = relayedConnection(db, relay);
    LoginLogic login([connection] { return openDatabase(connection); });

    EXPECT_EQ(login.connect(), LoginStatus::ConnectFailed);  // before the dialog shows
    EXPECT_EQ(login.logIn("admin", "admin123"), LoginStatus::ConnectFailed);
    EXPECT_TRUE(EMUser::all().empty());  // nothing loaded without a connection
    EXPECT_FALSE(isDatabaseOpen());

    relay.start();
    EXPECT_EQ(login.logIn("admin", "admin123"), LoginStatus::LoggedIn);
    EXPECT_TRUE(login.connected());
    EXPECT_NE(EMDevice::getById("d1"), nullptr);
    TestDatabase::closePool();
}

TEST(Login, AHalfOpenedPoolIsClosedBeforeTheRetry)
{
    TestDatabase db({.seed = true});
    TcpForwarder relay(TestDatabase::requireEnv("QUORVEL_DB_HOST"),
                       std::stoi(TestDatabase::requireEnv("QUORVEL_DB_PORT")));
    relay.setConnectionLimit(1);  // session 0 opens, session 1 is refused
    relay.start();
    std::string connection = relayedConnection(db, relay);
    LoginLogic login([connection] { return openDatabase(connection); });
    EXPECT_EQ(login.logIn("admin", "admin123"), LoginStatus::ConnectFailed);
    EXPECT_FALSE(isDatabaseOpen());

    relay.setConnectionLimit(-1);
    EXPECT_EQ(login.logIn("admin", "admin123"), LoginStatus::LoggedIn);
    EXPECT_TRUE(isDatabaseOpen());
    // Both sessions work.
    soci::session a(g_connectionPool);
    soci::session b(g_connectionPool);
    int one = 0, two = 0;
    a << "select 1", soci::into(one);
    b << "select 2", soci::into(two);
    EXPECT_EQ(one + two, 3);
}
