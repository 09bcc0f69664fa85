// Pure text rules of the database layer (no server needed).
#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "db/ConnectionString.h"
#include "db/EMDeviceData.h"
#include "db/EMProtocol.h"
#include "db/Identifier.h"
#include "db/LoginLogic.h"

TEST(Identifier, ThirtyTwoLowerCaseHexDigitsAndFreshEachTime)
{
    std::set<std::string> seen;
    for (int i = 0; i < 200; ++i) {
        std::string id = newIdentifierText();
        EXPECT_TRUE(std::regex_match(id, std::regex("[0-9a-f]{32}"))) << id;
        seen.insert(id);
    }
    EXPECT_EQ(seen.size(), 200u);
}

TEST(ConnectionString, LiteralKeysInOrderWithGbk)
{
    EXPECT_EQ(buildConnectionString("10.1.2.3", 3306, "quor", "root", "qpzr739105"),
              "host=10.1.2.3 port=3306 db=quor user=root password=qpzr739105 charset=GBK");
    // An empty value is quoted: left bare, the next key would be read as it.
    EXPECT_EQ(buildConnectionString("h", 65535, "d", "u", ""),
              "host=h port=65535 db=d user=u password='' charset=GBK");
    EXPECT_EQ(buildConnectionString("h", 1, "my db", "o'k", "a b'c\\d"),
              "host=h port=1 db='my db' user='o\\'k' password='a b\\'c\\\\d' charset=GBK");
}

TEST(PublishPlugins, RunsOfSemicolonsCountAsOne)
{
    EXPECT_EQ(EMProtocol::splitPlugins(";a;;b;"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(EMProtocol::splitPlugins("one"), (std::vector<std::string>{"one"}));
    EXPECT_TRUE(EMProtocol::splitPlugins("").empty());
    EXPECT_TRUE(EMProtocol::splitPlugins(";;;").empty());
}

TEST(SqlName, PlainNamesStayQuotedOthersRefusedWithBacktickOrZero)
{
    std::string out;
    ASSERT_TRUE(EMDeviceData::sqlName("data_g1$x9", out));
    EXPECT_EQ(out, "data_g1$x9");
    ASSERT_TRUE(EMDeviceData::sqlName("data g-1", out));
    EXPECT_EQ(out, "`data g-1`");
    ASSERT_TRUE(EMDeviceData::sqlName("v1;drop table em_user", out));
    EXPECT_EQ(out, "`v1;drop table em_user`");
    ASSERT_TRUE(EMDeviceData::sqlName("\xce\xc2\xb6\xc8", out));  // GBK 温度
    EXPECT_EQ(out, "`\xce\xc2\xb6\xc8`");
    EXPECT_FALSE(EMDeviceData::sqlName("a`b", out));
    EXPECT_FALSE(EMDeviceData::sqlName(std::string("a\0b", 3), out));
    ASSERT_TRUE(EMDeviceData::sqlName("", out));
    EXPECT_EQ(out, "``");
    // Not whole GBK: a lead byte at the end or before a byte that cannot follow it.
    EXPECT_FALSE(EMDeviceData::sqlName("v\xB1", out));
    EXPECT_FALSE(EMDeviceData::sqlName("\xB1\x20x", out));
    EXPECT_FALSE(EMDeviceData::sqlName("x\x80", out));

    ASSERT_TRUE(EMDeviceData::sqlTableName("otherdb.data_x", out));
    EXPECT_EQ(out, "`otherdb`.`data_x`");
    ASSERT_TRUE(EMDeviceData::sqlTableName("data_x", out));
    EXPECT_EQ(out, "data_x");
    ASSERT_TRUE(EMDeviceData::sqlTableName("data x", out));
    EXPECT_EQ(out, "`data x`");
    EXPECT_FALSE(EMDeviceData::sqlTableName("otherdb.", out));
    EXPECT_FALSE(EMDeviceData::sqlTableName("a..b", out));
    EXPECT_FALSE(EMDeviceData::sqlTableName("a.b`c", out));
    EXPECT_FALSE(EMDeviceData::sqlTableName("db.t\xB1", out));
}

TEST(TimeText, LocalTimeWithPaddedFields)
{
    std::tm tm{};
    tm.tm_year = 2020 - 1900;
    tm.tm_mon = 0;
    tm.tm_mday = 5;
    tm.tm_hour = 9;
    tm.tm_min = 3;
    tm.tm_sec = 7;
    tm.tm_isdst = -1;
    EXPECT_EQ(EMDeviceData::formatTime(std::mktime(&tm)), "2020-01-05 09:03:07");
}

TEST(LoginMessages, ExactTexts)
{
    EXPECT_STREQ(messageText(LoginStatus::ConnectFailed), "连接服务器失败，请检查配置！");
    EXPECT_STREQ(messageText(LoginStatus::UnknownUser), "该用户不存在！");
    EXPECT_STREQ(messageText(LoginStatus::WrongPassword), "密码不正确！");
    EXPECT_STREQ(messageText(LoginStatus::WrongOldPassword), "旧密码不正确！");
    EXPECT_STREQ(messageText(LoginStatus::EmptyNewPassword), "密码不可以位空，修改无效！");
    EXPECT_STREQ(messageText(LoginStatus::PasswordChanged), "修改成功，将使用新密码登陆！");
    EXPECT_NE(messageText(LoginStatus::PasswordChangeFailed), nullptr);
    EXPECT_EQ(messageText(LoginStatus::LoggedIn), nullptr);
    EXPECT_EQ(messageText(LoginStatus::OldPasswordAccepted), nullptr);
}

TEST(LoginLogic, ServerUnreachableIsReportedAndRetriedOnEachLogin)
{
    int attempts = 0;
    LoginLogic login([&] { ++attempts; return false; });
    EXPECT_EQ(login.logIn("admin", "x"), LoginStatus::ConnectFailed);
    EXPECT_EQ(login.logIn("admin", "x"), LoginStatus::ConnectFailed);
    EXPECT_EQ(attempts, 2);
    EXPECT_FALSE(login.connected());
}
