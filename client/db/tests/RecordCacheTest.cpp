// Loading the em_* tables into the caches and the lookups over them, on a
// fresh database of the real server.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <thread>

#include <soci/soci.h>

#include "LogCapture.h"
#include "TestDatabase.h"
#include "db/ConnectionPool.h"
#include "db/EMDevice.h"
#include "db/EMDeviceGroup.h"
#include "db/EMDeviceGroupItem.h"
#include "db/EMModule.h"
#include "db/EMPassageway.h"
#include "db/EMProtocol.h"
#include "db/EMRealDataCommunication.h"
#include "db/EMRole.h"
#include "db/EMRoleModule.h"
#include "db/EMUser.h"
#include "db/EMUserDevice.h"
#include "db/RecordCaches.h"

namespace {

std::vector<std::string> ids(const auto& records)
{
    std::vector<std::string> out;
    for (const auto* r : records)
        out.push_back(r->id);
    return out;
}

}  // namespace

TEST(RecordCache, SeedSiteLoadsWithGbkTextUnchanged)
{
    TestDatabase db({.seed = true});
    ASSERT_TRUE(db.openPool());

    EMDevice* d1 = EMDevice::getById("d1");
    ASSERT_NE(d1, nullptr);
    EXPECT_EQ(d1->name, TestDatabase::gbk("泵站一号"));
    EXPECT_EQ(d1->passageway, "7");
    EXPECT_EQ(d1->address, 1);
    EXPECT_EQ(d1->longitude, "118.78");
    EXPECT_TRUE(d1->enable);
    EXPECT_FALSE(EMDevice::getById("d3")->enable);
    EXPECT_EQ(EMDevice::all().size(), 3u);

    EMPassageway* channel = EMPassageway::getById("8");
    ASSERT_NE(channel, nullptr);
    EXPECT_EQ(channel->communication, "gw02");
    EXPECT_EQ(channel->period, 5000);
    EXPECT_EQ(channel->retry, 3);

    EMProtocol* protocol = EMProtocol::getById("p1");
    ASSERT_NE(protocol, nullptr);
    EXPECT_EQ(protocol->protocolName, "modbus");
    EXPECT_EQ(protocol->publishPlugins, (std::vector<std::string>{"pubA.so", "pubB.so"}));

    EMDeviceGroupItem* item = EMDeviceGroupItem::all().at("i1");
    EXPECT_EQ(item->c3, TestDatabase::gbk("℃"));
    EXPECT_EQ(item->c4, TestDatabase::gbk("温度"));
    EXPECT_EQ(item->b4, 255);
    EXPECT_EQ(EMRole::getById("r1")->name, TestDatabase::gbk("管理员"));
    EXPECT_EQ(EMUser::getByLoginName("admin")->name, TestDatabase::gbk("张伟"));

    // Text written by the client comes back as the same bytes.
    const std::string name = TestDatabase::gbk("数据点：水位（米）");
    item->c4 = name;
    ASSERT_TRUE(item->update());
    db.closePool();
    ASSERT_TRUE(db.openPool());
    EXPECT_EQ(EMDeviceGroupItem::all().at("i1")->c4, name);
}

// Every table of the seeded site has rows: opening loads all ten caches, and
// releasing empties them all, fault records included (a cache left off
// either list keeps records, or dangling pointers, past the exit).
TEST(RecordCache, OpeningLoadsEveryCacheAndReleasingEmptiesEveryOne)
{
    TestDatabase db({.seed = true});
    ASSERT_TRUE(db.openPool());
    EMRealDataCommunication::cacheRecord("cache-list", std::make_unique<EMRealDataCommunication>());

    const auto sizes = [] {
        return std::map<std::string, std::size_t>{
            {"devices", EMDevice::all().size()},
            {"protocols", EMProtocol::all().size()},
            {"channels", EMPassageway::all().size()},
            {"device groups", EMDeviceGroup::all().size()},
            {"device group items", EMDeviceGroupItem::all().size()},
            {"users", EMUser::all().size()},
            {"user devices", EMUserDevice::all().size()},
            {"role modules", EMRoleModule::all().size()},
            {"modules", EMModule::all().size()},
            {"roles", EMRole::all().size()},
            {"fault records", EMRealDataCommunication::findCached("cache-list") ? 1u : 0u},
        };
    };
    for (const auto& [cache, size] : sizes())
        EXPECT_GT(size, 0u) << cache << " not loaded";

    releaseRecordCaches();
    for (const auto& [cache, size] : sizes())
        EXPECT_EQ(size, 0u) << cache << " not released";
}

TEST(RecordCache, NullColumnsTakeTheirDefaults)
{
    TestDatabase db;
    db.execute("insert into em_device (id) values ('n1');"
               "insert into em_device (id, enable) values ('e0', 0), ('e1', 1), ('e2', 2);"
               "insert into em_passageway (id) values ('c1');"
               "insert into em_device_group (id) values ('g1');"
               "insert into em_device_group_item (id) values ('i1');"
               "insert into em_protocol (id) values ('p1');"
               "insert into em_module (id) values ('m1');"
               "insert into em_user (id) values ('u1')");
    ASSERT_TRUE(db.openPool());

    const EMDevice* device = EMDevice::getById("n1");
    ASSERT_NE(device, nullptr);
    EXPECT_TRUE(device->enable);
    EXPECT_EQ(device->address, 0);
    EXPECT_EQ(device->name, "");
    EXPECT_FALSE(EMDevice::getById("e0")->enable);
    EXPECT_TRUE(EMDevice::getById("e1")->enable);
    EXPECT_FALSE(EMDevice::getById("e2")->enable);

    const EMPassageway* channel = EMPassageway::getById("c1");
    ASSERT_NE(channel, nullptr);
    EXPECT_EQ(channel->period, 2000);
    EXPECT_EQ(channel->timeout, 1000);
    EXPECT_EQ(channel->retry, 1);

    const EMDeviceGroup* group = EMDeviceGroup::getById("g1");
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->collectNo, 1);
    EXPECT_EQ(group->b0, -1);
    EXPECT_EQ(group->b1, -1);
    EXPECT_EQ(group->b4, -1);
    EXPECT_EQ(group->c4, "");

    const EMDeviceGroupItem* item = EMDeviceGroupItem::all().at("i1");
    EXPECT_EQ(item->b3, -1);
    EXPECT_EQ(item->b4, 0);
    EXPECT_EQ(item->dataType, 3);

    EXPECT_TRUE(EMProtocol::getById("p1")->publishPlugins.empty());
    EXPECT_EQ(EMModule::getById("m1")->menuNo, 0);
    EXPECT_EQ(EMUser::all().at("u1")->password, "");  // NULL password: the empty one
}

TEST(RecordCache, ListsSortStablyByTheirKeys)
{
    TestDatabase db;
    db.execute(
        "insert into em_device_group_item (id, group_id, b3) values "
        "('a', 'G', 2), ('b', 'G', 1), ('c', 'G', 1), ('d', 'other', 0);"
        "insert into em_device_group (id, device, b1) values "
        "('g3', 'D', 5), ('g1', 'D', 7), ('g2', 'D', 5), ('gx', 'D2', 1);"
        "insert into em_module (id, menu_no) values ('m3', 3), ('m1', 1), ('m2', 2), ('m2b', 2);"
        "insert into em_role_module (id, role, module) values "
        "('1', 'R', 'm3'), ('2', 'R', 'm2b'), ('3', 'R', 'm1'), ('4', 'R', 'm2'),"
        "('5', 'R', 'missing'), ('6', 'other', 'm1'), ('7', 'R', 'm1');"
        "insert into em_device (id) values ('d1'), ('d2');"
        "insert into em_user_device (id, user, device) values "
        "('1', 'U', 'd2'), ('2', 'U', 'gone'), ('3', 'U', 'd1'), ('4', 'U', 'd2'), ('5', 'V', 'd1')");
    ASSERT_TRUE(db.openPool());

    EXPECT_EQ(ids(EMDeviceGroupItem::getByGroup("G")), (std::vector<std::string>{"b", "c", "a"}));
    EXPECT_EQ(ids(EMDeviceGroup::getByDevice("D")), (std::vector<std::string>{"g2", "g3", "g1"}));
    EXPECT_TRUE(EMDeviceGroup::getByDevice("d").empty());  // exact, case-sensitive match

    // Sorted by menu number; equal numbers keep assignment order; unknown
    // modules skipped; a repeated assignment repeats.
    EXPECT_EQ(ids(EMRoleModule::getModulesByRole("R")),
              (std::vector<std::string>{"m1", "m1", "m2b", "m2", "m3"}));
    EXPECT_TRUE(EMRoleModule::getModulesByRole("nobody").empty());

    EXPECT_EQ(ids(EMUserDevice::getDevicesByUser("U")), (std::vector<std::string>{"d2", "d1", "d2"}));
    EXPECT_TRUE(EMUserDevice::getDevicesByUser("W").empty());
}

TEST(RecordCache, FirstUserInIdOrderWinsAmongEqualLoginNames)
{
    TestDatabase db;
    db.execute("insert into em_user (id, login_name, password) values "
               "('u9', 'same', 'nine'), ('u10', 'same', 'ten'), ('u2', 'Same', 'two')");
    ASSERT_TRUE(db.openPool());
    ASSERT_NE(EMUser::getByLoginName("same"), nullptr);
    EXPECT_EQ(EMUser::getByLoginName("same")->id, "u10");  // "u10" < "u9" byte-wise
    EXPECT_EQ(EMUser::getByLoginName("Same")->id, "u2");
    EXPECT_EQ(EMUser::getByLoginName("SAME"), nullptr);
}

TEST(RecordCache, ARowOfTheWrongTypeEndsTheLoadAndIsLogged)
{
    TestDatabase db;
    db.execute("alter table em_module modify menu_no varchar(8);"
               "insert into em_module (id, menu_no) values ('m1', '1'), ('m2', '2')");
    db.execute("insert into em_role (id) values ('r1')");
    LogCapture log;
    ASSERT_TRUE(db.openPool());
    EXPECT_TRUE(EMModule::all().empty());
    EXPECT_NE(EMRole::getById("r1"), nullptr);  // the loaders after it still ran
    bool moduleErrorLogged = false;
    for (const std::string& line : log.errors())
        if (line.find("create all module") != std::string::npos)
            moduleErrorLogged = true;
    EXPECT_TRUE(moduleErrorLogged);
    EXPECT_FALSE(EMModule::createAll());
}

TEST(RecordCache, GroupItemUpdateWritesEveryColumn)
{
    TestDatabase db({.seed = true});
    ASSERT_TRUE(db.openPool());
    EMDeviceGroupItem* item = EMDeviceGroupItem::all().at("i2");
    item->dataItem = "state2";
    item->groupId = "g2";
    item->b0 = 10;
    item->b1 = 11;
    item->b2 = 12;
    item->b3 = 13;
    item->b4 = 0x00336699;
    item->c0 = "x0";
    item->c1 = "x1";
    item->c2 = "v9";
    item->c3 = TestDatabase::gbk("米");
    item->c4 = TestDatabase::gbk("水位");
    item->dataType = 1;
    ASSERT_TRUE(item->update());

    auto sql = db.openSession();
    soci::row row;
    *sql << "select * from em_device_group_item where id='i2'", soci::into(row);
    EXPECT_EQ(row.get<std::string>("data_item"), "state2");
    EXPECT_EQ(row.get<std::string>("group_id"), "g2");
    EXPECT_EQ(row.get<int>("b0"), 10);
    EXPECT_EQ(row.get<int>("b3"), 13);
    EXPECT_EQ(row.get<int>("b4"), 0x00336699);
    EXPECT_EQ(row.get<std::string>("c2"), "v9");
    EXPECT_EQ(row.get<std::string>("c3"), TestDatabase::gbk("米"));
    EXPECT_EQ(row.get<std::string>("c4"), TestDatabase::gbk("水位"));
    EXPECT_EQ(row.get<int>("data_type"), 1);
    int others = 0;
    *sql << "select count(*) from em_device_group_item where data_item='state2'", soci::into(others);
    EXPECT_EQ(others, 1);  // only the record's own row
}

TEST(RecordCache, FailedUpdatesReportFalseAndLog)
{
    TestDatabase db({.seed = true});
    ASSERT_TRUE(db.openPool());
    db.execute("drop table em_device_group_item; drop table em_user");
    LogCapture log;
    EXPECT_FALSE(EMDeviceGroupItem::all().at("i1")->update());
    EXPECT_FALSE(EMUser::getByLoginName("admin")->update());
    auto errors = log.errors();
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0].rfind("error:", 0), 0u);
    EXPECT_NE(errors[0].find("update device gorup item"), std::string::npos);
    EXPECT_NE(errors[1].find("update user"), std::string::npos);
}

TEST(ConnectionPoolTest, ABorrowerWaitsWhileBothSessionsAreLent)
{
    TestDatabase db;
    ASSERT_TRUE(db.openPool());
    std::atomic<bool> thirdGotOne{false};
    std::thread third;
    {
        soci::session first(g_connectionPool);
        soci::session second(g_connectionPool);
        third = std::thread([&] {
            soci::session s(g_connectionPool);
            int one = 0;
            s << "select 1", soci::into(one);
            thirdGotOne = one == 1;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        EXPECT_FALSE(thirdGotOne);
    }
    third.join();
    EXPECT_TRUE(thirdGotOne);
}
