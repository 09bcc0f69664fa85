// The communication-fault lookup shared by the MQTT and UI threads.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include <soci/soci.h>

#include "LogCapture.h"
#include "TcpForwarder.h"
#include "TestDatabase.h"
#include "db/ConnectionPool.h"
#include "db/ConnectionString.h"
#include "db/Database.h"
#include "db/EMDeviceData.h"
#include "db/EMDeviceGroup.h"
#include "db/EMDeviceGroupItem.h"
#include "db/EMRealDataCommunication.h"
#include "db/EMRole.h"

namespace {

int faultQueries(const LogCapture& log)
{
    int n = 0;
    for (const std::string& line : log.infos())
        if (line.rfind("getbydeviceid ", 0) == 0)
            ++n;
    return n;
}

int countRows(TestDatabase& db, const std::string& table)
{
    auto sql = db.openSession();
    int n = -1;
    *sql << "select count(*) from " + table, soci::into(n);
    return n;
}

}  // namespace

TEST(CommunicationFault, CachedOnlyOnceARowExists)
{
    TestDatabase db({.seed = true});
    ASSERT_TRUE(db.openPool());
    LogCapture log;

    EXPECT_EQ(EMRealDataCommunication::getByDeviceId("8"), nullptr);
    EXPECT_EQ(EMRealDataCommunication::getByDeviceId("8"), nullptr);
    EXPECT_EQ(faultQueries(log), 2);  // nothing cached: asked again

    db.execute("insert into em_real_data_communication values ('f8', '8', 'comm', 1, 0, 1)");
    EMRealDataCommunication* record = EMRealDataCommunication::getByDeviceId("8");
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(faultQueries(log), 3);
    EXPECT_EQ(record->id, "f8");
    EXPECT_EQ(record->device, "8");
    EXPECT_EQ(record->type, "comm");
    EXPECT_EQ(record->beforeStatus, 1);
    EXPECT_EQ(record->relieveFlag.load(), 0);
    EXPECT_EQ(record->handlerFlag, 1);

    EXPECT_EQ(EMRealDataCommunication::getByDeviceId("8"), record);
    EXPECT_EQ(faultQueries(log), 3);  // served from the cache
    EXPECT_TRUE(log.errors().empty());
}

TEST(CommunicationFault, RelievedRowsAreNotFaults)
{
    TestDatabase db({.seed = true});
    db.execute("insert into em_real_data_communication values ('f9', '9', 'comm', 0, 1, 0)");
    ASSERT_TRUE(db.openPool());
    EXPECT_EQ(EMRealDataCommunication::getByDeviceId("9"), nullptr);
    EXPECT_NE(EMRealDataCommunication::getByDeviceId("7"), nullptr);
}

TEST(CommunicationFault, InjectionThroughTheChannelKeyChangesNothing)
{
    TestDatabase db({.seed = true});
    ASSERT_TRUE(db.openPool());
    LogCapture log;
    const std::vector<std::string> keys = {
        "x' or '1'='1",
        "x' or 1=1 -- ",
        "7'; delete from em_user; -- ",
        "x' union select id,login_name,password,1,0,1 from em_user -- ",
        // GBK lead byte before the quote: must not swallow the escape.
        "\xbf' or 1=1 -- ",
        "\xbf\x5c' or 1=1 -- ",
    };
    for (const std::string& key : keys)
        EXPECT_EQ(EMRealDataCommunication::getByDeviceId(key), nullptr) << key;
    EXPECT_EQ(countRows(db, "em_user"), 3);
    EXPECT_EQ(countRows(db, "em_real_data_communication"), 1);
    // A key that merely holds odd characters is looked up as it stands.
    db.execute("insert into em_real_data_communication values ('q', 'it''s;gw', 'comm', 1, 0, 0)");
    ASSERT_NE(EMRealDataCommunication::getByDeviceId("it's;gw"), nullptr);
    EXPECT_EQ(EMRealDataCommunication::getByDeviceId("it's;gw")->id, "q");
}

TEST(CommunicationFault, MissingColumnValueIsLoggedAsError)
{
    TestDatabase db({.seed = true});
    db.execute("insert into em_real_data_communication values ('fn', 'n', 'comm', NULL, 0, 0)");
    ASSERT_TRUE(db.openPool());
    LogCapture log;
    EXPECT_EQ(EMRealDataCommunication::getByDeviceId("n"), nullptr);
    auto errors = log.errors();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind("error ", 0), 0u);
    EXPECT_NE(errors[0].find(" get communication"), std::string::npos);
}

TEST(CommunicationFault, TwoThreadsShareOneRecord)
{
    TestDatabase db({.seed = true});
    db.execute("insert into em_real_data_communication values "
               "('a', 'k1', 'c', 1, 0, 0), ('b', 'k2', 'c', 1, 0, 0), ('c', 'k3', 'c', 1, 0, 0)");
    ASSERT_TRUE(db.openPool());
    const std::vector<std::string> keys = {"7", "k1", "k2", "k3", "none"};
    std::vector<std::vector<EMRealDataCommunication*>> seen(4);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int round = 0; round < 20; ++round)
                for (const std::string& key : keys) {
                    EMRealDataCommunication* r = EMRealDataCommunication::getByDeviceId(key);
                    if (r)
                        r->relieveFlag = static_cast<std::uint8_t>(round & 1);
                    if (round == 19)
                        seen[t].push_back(r);
                }
        });
    for (std::thread& t : threads)
        t.join();
    for (int t = 1; t < 4; ++t)
        EXPECT_EQ(seen[t], seen[0]);
    EXPECT_NE(seen[0][0], nullptr);
    EXPECT_EQ(seen[0][4], nullptr);
}

TEST(CommunicationFault, ALostConnectionIsReopenedAndTheQueryRetried)
{
    TestDatabase db({.seed = true});
    db.execute("insert into em_real_data_communication values ('f8', '8', 'comm', 1, 0, 0)");
    TcpForwarder relay(TestDatabase::requireEnv("QUORVEL_DB_HOST"),
                       std::stoi(TestDatabase::requireEnv("QUORVEL_DB_PORT")));
    relay.start();
    std::string connection = buildConnectionString(
        "127.0.0.1", static_cast<std::uint16_t>(relay.port()), db.name(),
        TestDatabase::requireEnv("QUORVEL_DB_USER"), TestDatabase::requireEnv("QUORVEL_DB_PASSWORD"));
    ASSERT_TRUE(openDatabase(connection));
    ASSERT_NE(EMRealDataCommunication::getByDeviceId("7"), nullptr);

    relay.dropConnections();  // what a server restart does to open sessions
    LogCapture log;
    EMRealDataCommunication* record = EMRealDataCommunication::getByDeviceId("8");
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->id, "f8");
    EXPECT_TRUE(log.errors().empty());

    // Both sessions were cut; the second one recovers as well.
    {
        soci::session first(g_connectionPool);
        EXPECT_EQ(EMRealDataCommunication::getByDeviceId("none"), nullptr);
    }
    EXPECT_TRUE(log.errors().empty());

    // Loaders, updates and data queries come back the same way.
    relay.dropConnections();
    EMRole::releaseAll();
    EXPECT_TRUE(EMRole::createAll());
    EXPECT_NE(EMRole::getById("r1"), nullptr);
    relay.dropConnections();
    EMDeviceGroupItem* item = EMDeviceGroupItem::all().at("i1");
    item->c3 = "K";
    EXPECT_TRUE(item->update());
    relay.dropConnections();
    EMDeviceData data(EMDeviceGroup::getById("g1"));
    EXPECT_EQ(data.queryHistory(0, 2000000000).size(), 3u);
    EXPECT_TRUE(log.errors().empty());
    TestDatabase::closePool();
}
