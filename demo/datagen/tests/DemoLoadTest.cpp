// The demo site loaded into a fresh database and read back by the client's
// record classes and queries.
#include <gtest/gtest.h>

#include <set>

#include "DemoSite.h"
#include "SqlOutput.h"
#include "TestDatabase.h"
#include "db/EMDevice.h"
#include "db/EMDeviceData.h"
#include "db/EMDeviceGroup.h"
#include "db/EMDeviceGroupItem.h"
#include "db/EMModule.h"
#include "db/EMPassageway.h"
#include "db/EMProtocol.h"
#include "db/EMRoleModule.h"
#include "db/EMUser.h"
#include "db/EMUserDevice.h"

TEST(DemoLoad, SiteReadsBackThroughTheRecordClasses)
{
    const std::uint64_t seed = 5;
    TestDatabase db;
    demo::Site site = demo::makeSite(seed);
    std::string script;
    auto sink = [&](const std::string& s) { script += s + ";\n"; };
    for (const auto& g : site.groups)
        sink(demo::dataTableDdl(g));
    demo::writeConfiguration(site, seed, sink);
    const std::time_t end = std::time(nullptr) / 300 * 300;
    for (const auto& g : site.groups)
        demo::writeMeasurements(g, seed, end, 3 * 288, sink);
    db.executeUtf8(script);
    ASSERT_TRUE(db.openPool());

    EXPECT_EQ(EMDevice::all().size(), 8u);
    EXPECT_EQ(EMDevice::getById("dev01")->name, TestDatabase::gbk("城东泵站"));
    EXPECT_EQ(EMProtocol::getById("1")->publishPlugins, (std::vector<std::string>{"libpub_mqtt.so", "libpub_store.so"}));
    EXPECT_EQ(EMPassageway::getById("5")->communication, "gw05");

    EMUser* admin = EMUser::getByLoginName("admin");
    ASSERT_NE(admin, nullptr);
    EXPECT_EQ(admin->password, "admin123");
    EXPECT_EQ(EMUserDevice::getDevicesByUser(admin->id).size(), 8u);
    auto modules = EMRoleModule::getModulesByRole(admin->role);
    ASSERT_EQ(modules.size(), 2u);
    EXPECT_EQ(modules[0]->menuNo, 3);
    EXPECT_EQ(modules[1]->menuNo, 4);
    EMUser* guest = EMUser::getByLoginName("guest");
    ASSERT_NE(guest, nullptr);
    EXPECT_TRUE(EMUserDevice::getDevicesByUser(guest->id).empty());
    EXPECT_TRUE(EMRoleModule::getModulesByRole(guest->role).empty());

    // The default seven-day window of the history view ends now and finds rows.
    auto groups = EMDeviceGroup::getByDevice("dev03");
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0]->groupName, TestDatabase::gbk("气象要素"));
    EMDeviceData data(groups[0]);
    ASSERT_EQ(data.items().size(), 8u);
    DataRows rows = data.queryHistory(end - 7 * 86400, end);
    ASSERT_EQ(rows.size(), 3u * 288u);
    ASSERT_EQ(rows[0].size(), 9u);
    std::set<int> types;
    for (const DataCell& cell : rows[0])
        types.insert(cell.first);
    EXPECT_TRUE(types.count(0) && types.count(3) && types.count(100));
    int daysWithRows = static_cast<int>(data.queryStatistics(end - 7 * 86400, end, EMDeviceData::kDaily).size());
    EXPECT_GE(daysWithRows, 3);
    EXPECT_LE(daysWithRows, 4);
}
