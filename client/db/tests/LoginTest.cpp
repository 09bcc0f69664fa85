// The login dialog's decisions against a real database.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include <soci/soci.h>
#include <soci/mysql/soci-mysql.h>
#include <sys/stat.h>
#include <unistd.h>

#include "LogCapture.h"
#include "TcpForwarder.h"
#include "TestDatabase.h"
#include "db/ConnectionPool.h"
#include "db/ConnectionString.h"
#include "db/Database.h"
#include "db/DbLog.h"
#include "db/EMDevice.h"
#include "db/EMUser.h"
#include "db/LoginLogic.h"
#include "pellorn/LogWrapper.h"

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

// A string literal of the server's SQL: quote and backslash escaped.
std::string sqlLiteral(const std::string& text)
{
    std::string out = "'";
    for (char c : text) {
        if (c == '\'' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "'";
}

std::string readAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
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

// Database, user and password with blanks, quotes and backslashes reach the
// server as they are: the connection string quotes them.
TEST(Login, NamesAndPasswordsWithBlanksQuotesAndBackslashesConnect)
{
    const std::string suffix = std::to_string(::getpid());
    const std::string dbName = "qtest b'x\\y " + suffix;
    const std::string user = "q u's\\r" + suffix;
    const std::string password = "a b'c\\d";
    soci::session admin(soci::mysql, TestDatabase::serverConnectionString());
    auto dropAll = [&] {
        admin << "drop database if exists `" + dbName + "`";
        for (const char* host : {"127.0.0.1", "localhost"})
            admin << "drop user if exists " + sqlLiteral(user) + "@'" + host + "'";
    };
    dropAll();
    admin << "create database `" + dbName + "` character set gbk";
    admin << "create table `" + dbName + "`.probe (v int)";
    admin << "insert into `" + dbName + "`.probe values (42)";
    for (const char* host : {"127.0.0.1", "localhost"}) {
        admin << "create user " + sqlLiteral(user) + "@'" + host + "' identified by " + sqlLiteral(password);
        // On *.*: in a database grant a backslash escapes the name's pattern.
        admin << "grant all on *.* to " + sqlLiteral(user) + "@'" + host + "'";
    }

    const std::string connection =
        buildConnectionString(TestDatabase::requireEnv("QUORVEL_DB_HOST"),
                              static_cast<std::uint16_t>(std::stoi(TestDatabase::requireEnv("QUORVEL_DB_PORT"))),
                              dbName, user, password);
    EXPECT_TRUE(openDatabase(connection)) << connection;
    if (isDatabaseOpen()) {
        soci::session sql(g_connectionPool);
        int v = 0;
        std::string current;
        sql << "select v, database() from probe", soci::into(v), soci::into(current);
        EXPECT_EQ(v, 42);
        EXPECT_EQ(current, dbName);
    }
    TestDatabase::closePool();
    EXPECT_FALSE(openDatabase(buildConnectionString(
        TestDatabase::requireEnv("QUORVEL_DB_HOST"),
        static_cast<std::uint16_t>(std::stoi(TestDatabase::requireEnv("QUORVEL_DB_PORT"))), dbName, user,
        "a b'c")))
        << "a wrong password is still refused";
    dropAll();
}

// The program's own log settings, a failed password change: neither the new
// password nor the old one nor the database's reaches the log file, and
// the file is its owner's alone.
TEST(Login, AFailedPasswordChangeLeavesNoPasswordInTheLogFile)
{
    TestDatabase db({.seed = true});
    LoginLogic login = loginOn(db);
    ASSERT_EQ(login.connect(), LoginStatus::LoggedIn);

    std::string pattern = (std::filesystem::temp_directory_path() / "quorvel-log-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const std::filesystem::path dir = pattern;
    const std::filesystem::path oldDir = std::filesystem::current_path();
    const std::string source = TestDatabase::requireEnv("QUORVEL_SOURCE_DIR");
    std::filesystem::copy_file(source + "/client/res/ApplicationLog.conf", dir / "ApplicationLog.conf");
    std::filesystem::create_directory(dir / "log");
    std::filesystem::current_path(dir);
    pellorn::LogWrapper* wrapper = createLogWrapper("Quorvel_Client");
    ASSERT_NE(wrapper, nullptr);
    setDbLogWrapper(wrapper);

    ASSERT_EQ(login.checkOldPassword("admin", "admin123"), LoginStatus::OldPasswordAccepted);
    db.execute("rename table em_user to em_user_away");
    const std::string newPassword = "Zq7 new'secret";
    EXPECT_EQ(login.applyNewPassword(newPassword), LoginStatus::PasswordChangeFailed);
    // A failed update with soci's own statement text too (bound values).
    try {
        soci::session sql(g_connectionPool);
        sql << "update em_user set password=:p where id='u1'", soci::use(newPassword, "p");
    } catch (const soci::soci_error& e) {
        dbLogError("error:%s update user", dbErrorText(e));
    }

    setDbLogWrapper(nullptr);
    releaseLogWrapper("Quorvel_Client");
    std::filesystem::current_path(oldDir);
    db.execute("rename table em_user_away to em_user");

    const std::filesystem::path file = dir / "log" / "Quorvel_Client.log";
    const std::string log = readAll(file);
    EXPECT_EQ(std::filesystem::status(file).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    std::filesystem::remove_all(dir);
    EXPECT_NE(log.find("update user"), std::string::npos) << "the failure is logged:\n" << log;
    EXPECT_NE(log.find("em_user"), std::string::npos) << "with the server's reason:\n" << log;
    for (const std::string& secret : {newPassword, std::string("Zq7"), std::string("admin123"),
                                      TestDatabase::requireEnv("QUORVEL_DB_PASSWORD")})
        EXPECT_EQ(log.find(secret), std::string::npos) << secret << " in the log:\n" << log;
}
