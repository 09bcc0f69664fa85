// WorkParam.xml writing: exact bytes, owner-only permissions, and an old
// file that survives a write that does not complete.
#include "quorvel_test/FileSizeLimit.h"
#include "quorvel_test/TempDir.h"
#include "XmlHead.h"

#include "app/Config.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

const std::string kDefaultFile =
    kXmlHead
    + "<WorkParam>\n"
      "\t<DB DBName=\"quor\" ip=\"127.0.0.1\" port=\"3306\" pwd=\"qpzr739105\" user=\"root\" />\n"
      "\t<mqtt ip=\"127.0.0.1\" port=\"6002\" pwd=\"qpzr739105\" user=\"tzmk\" />\n"
      "</WorkParam>\n";



} // namespace

TEST(ConfigWrite, DefaultsGiveTheShippedLayout)
{
    TempDir dir;
    Config config;
    ASSERT_TRUE(Config::saveFile(dir.file("WorkParam.xml"), config.workParam));
    EXPECT_EQ(readBytes(dir.file("WorkParam.xml")), kDefaultFile);
    EXPECT_EQ(modeOf(dir.file("WorkParam.xml")), 0600u) << "it holds passwords";
}

TEST(ConfigWrite, ChangedValuesRoundTripAfterAReadAndKeepOwnerOnly)
{
    TempDir dir;
    std::string path = dir.file("WorkParam.xml");
    writeBytes(path, kXmlHead + "<Old><DB ip=\"1.2.3.4\" extra=\"dropped\"/><keep/></Old>");
    ::chmod(path.c_str(), 0644);

    Config config;
    ASSERT_TRUE(Config::loadFile(path, config.workParam));
    EXPECT_EQ(config.workParam.dbIp, "1.2.3.4");
    config.workParam.dbPort = 65535;
    config.workParam.dbPassword = "p&<\"w";
    config.workParam.mqttIp = "10.0.0.9";
    ASSERT_TRUE(Config::saveFile(path, config.workParam));
    EXPECT_EQ(readBytes(path),
              kXmlHead
                  + "<WorkParam>\n"
                    "\t<DB DBName=\"quor\" ip=\"1.2.3.4\" port=\"65535\" pwd=\"p&amp;&lt;&quot;w\" user=\"root\" />\n"
                    "\t<mqtt ip=\"10.0.0.9\" port=\"6002\" pwd=\"qpzr739105\" user=\"tzmk\" />\n"
                    "</WorkParam>\n");
    EXPECT_EQ(modeOf(path), 0600u);

    Config reread;
    ASSERT_TRUE(Config::loadFile(path, reread.workParam));
    EXPECT_EQ(reread.workParam.dbPort, 65535);
    EXPECT_EQ(reread.workParam.dbPassword, "p&<\"w");
    EXPECT_EQ(reread.workParam.mqttIp, "10.0.0.9");

    // Saving twice from one object rebuilds the tree each time.
    config.workParam.mqttUser = "second";
    ASSERT_TRUE(Config::saveFile(path, config.workParam));
    Config third;
    ASSERT_TRUE(Config::loadFile(path, third.workParam));
    EXPECT_EQ(third.workParam.mqttUser, "second");
}

TEST(ConfigWrite, InterruptedWriteLeavesTheOldFileIntact)
{
    TempDir dir;
    std::string path = dir.file("WorkParam.xml");
    Config config;
    ASSERT_TRUE(Config::saveFile(path, config.workParam));

    config.workParam.dbPassword = std::string(5000, 's');
    {
        FileSizeLimit limit(64); // the disk "fills up" in the middle of the write
        EXPECT_FALSE(Config::saveFile(path, config.workParam));
    }
    EXPECT_EQ(readBytes(path), kDefaultFile);
    EXPECT_EQ(entriesIn(dir), 1u) << "no half-written temporary file is left";

    Config reread;
    ASSERT_TRUE(Config::loadFile(path, reread.workParam));
    EXPECT_EQ(reread.workParam.dbPassword, "qpzr739105");
}

TEST(ConfigWrite, TemporaryFileLeftByACrashIsHarmless)
{
    TempDir dir;
    std::string path = dir.file("WorkParam.xml");
    Config config;
    ASSERT_TRUE(Config::saveFile(path, config.workParam));
    // What a crash in the middle of a write leaves: a partial file beside.
    writeBytes(path + ".tmp-4242-0", kXmlHead + "<WorkParam>\n\t<DB DBName=\"q");

    Config reread;
    ASSERT_TRUE(Config::loadFile(path, reread.workParam));
    EXPECT_EQ(reread.workParam.dbName, "quor");
    reread.workParam.dbName = "next";
    ASSERT_TRUE(Config::saveFile(path, reread.workParam));
    Config last;
    ASSERT_TRUE(Config::loadFile(path, last.workParam));
    EXPECT_EQ(last.workParam.dbName, "next");
}

TEST(ConfigWrite, UnwritableFolderReportsFailure)
{
    TempDir dir;
    Config config;
    EXPECT_FALSE(Config::saveFile(dir.file("no-such-folder/WorkParam.xml"), config.workParam));
    std::filesystem::create_directory(dir.file("WorkParam.xml"));
    EXPECT_FALSE(Config::saveFile(dir.file("WorkParam.xml"), config.workParam));
}

TEST(ConfigWrite, TlsAttributesAreReadAndWrittenBackAsTheyStood)
{
    TempDir dir;
    std::string path = dir.file("WorkParam.xml");
    // The broker's TLS switch is written off on purpose, the database's
    // host-name check is left out (on by default).
    const std::string file =
        kXmlHead
        + "<WorkParam>\n"
          "\t<DB DBName=\"quor\" ip=\"10.0.0.5\" port=\"3306\" pwd=\"x\" tls=\"1\" tlsCa=\"certs/ca.pem\" "
          "tlsCert=\"/etc/q/c.pem\" tlsKey=\"/etc/q/c.key\" user=\"quorvel\" />\n"
          "\t<mqtt ip=\"10.0.0.6\" port=\"8883\" pwd=\"y\" tls=\"0\" tlsCa=\"/etc/ssl/certs\" tlsVerifyHost=\"0\" "
          "user=\"tzmk\" />\n"
          "</WorkParam>\n";
    writeBytes(path, file);

    Config config;
    ASSERT_TRUE(Config::loadFile(path, config.workParam));
    const ConfigWorkParam& wp = config.workParam;
    EXPECT_TRUE(wp.dbTls.enabled);
    EXPECT_EQ(wp.dbTls.ca, "certs/ca.pem");
    EXPECT_EQ(wp.dbTls.cert, "/etc/q/c.pem");
    EXPECT_EQ(wp.dbTls.key, "/etc/q/c.key");
    EXPECT_TRUE(wp.dbTls.verifyHost);
    EXPECT_FALSE(wp.mqttTls.enabled);
    EXPECT_EQ(wp.mqttTls.ca, "/etc/ssl/certs");
    EXPECT_FALSE(wp.mqttTls.verifyHost);

    ASSERT_TRUE(Config::saveFile(path, config.workParam));
    EXPECT_EQ(readBytes(path), file);

    // Switched on by the program: the switch appears, nothing else does.
    Config plain;
    plain.workParam.mqttTls.enabled = true;
    ASSERT_TRUE(Config::saveFile(path, plain.workParam));
    EXPECT_EQ(readBytes(path), kXmlHead + "<WorkParam>\n"
                                   "\t<DB DBName=\"quor\" ip=\"127.0.0.1\" port=\"3306\" pwd=\"qpzr739105\" user=\"root\" />\n"
                                   "\t<mqtt ip=\"127.0.0.1\" port=\"6002\" pwd=\"qpzr739105\" tls=\"1\" user=\"tzmk\" />\n"
                                   "</WorkParam>\n");
}

TEST(TlsParam, OnlyTheLoopbackRangeCountsAsLocal)
{
    for (const char* local : {"127.0.0.1", "127.255.0.9", "localhost", "::1"})
        EXPECT_TRUE(isLoopbackHost(local)) << local;
    // A plain link to any of these is warned about.
    for (const char* remote : {"10.0.0.5", "128.0.0.1", "1.127.0.0", "127.0.0.1.example.com", "localhost.evil",
                               "0.0.0.0", "", "::ffff:10.0.0.5", "db.example", "127.-1.0.1", "127.0.0",
                               "127.0.0.01"})
        EXPECT_FALSE(isLoopbackHost(remote)) << remote;
}

// The database time-outs are optional <DB> attributes: a file with them
// keeps them (a nonsense value counts as absent), a file without them is
// written back without them.
TEST(ConfigWrite, DatabaseTimeoutsAreKeptWhenPresentAndNotAddedWhenAbsent)
{
    TempDir dir;
    std::string path = dir.file("WorkParam.xml");
    writeBytes(path, kXmlHead + "<WorkParam><DB ip=\"1.2.3.4\" connectTimeout=\"4\" readTimeout=\"600\" "
                                "writeTimeout=\"0\"/></WorkParam>");
    Config config;
    ASSERT_TRUE(Config::loadFile(path, config.workParam));
    EXPECT_EQ(config.workParam.dbTimeouts.connectSeconds, 4);
    EXPECT_EQ(config.workParam.dbTimeouts.readSeconds, 600);
    EXPECT_FALSE(config.workParam.dbTimeouts.writeSeconds.has_value()) << "0 is no time-out: the default applies";
    ASSERT_TRUE(Config::saveFile(path, config.workParam));
    EXPECT_EQ(readBytes(path),
              kXmlHead
                  + "<WorkParam>\n"
                    "\t<DB DBName=\"quor\" connectTimeout=\"4\" ip=\"1.2.3.4\" port=\"3306\" pwd=\"qpzr739105\" "
                    "readTimeout=\"600\" user=\"root\" />\n"
                    "\t<mqtt ip=\"127.0.0.1\" port=\"6002\" pwd=\"qpzr739105\" user=\"tzmk\" />\n"
                    "</WorkParam>\n");

    writeBytes(path, kDefaultFile);
    Config plain;
    ASSERT_TRUE(Config::loadFile(path, plain.workParam));
    EXPECT_FALSE(plain.workParam.dbTimeouts.connectSeconds.has_value());
    ASSERT_TRUE(Config::saveFile(path, plain.workParam));
    EXPECT_EQ(readBytes(path), kDefaultFile);
}
