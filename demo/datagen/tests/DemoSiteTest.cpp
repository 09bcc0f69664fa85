// The demo site: its shape, determinism and agreement with demo/schema.sql.
#include <gtest/gtest.h>

#include <fstream>
#include <iconv.h>
#include <map>
#include <set>
#include <sstream>

#include "DemoSite.h"
#include "ScaleSite.h"
#include "SqlOutput.h"

namespace {

bool hasGbkForm(const std::string& utf8)
{
    iconv_t cd = iconv_open("GBK", "UTF-8");
    std::string out(utf8.size() * 2 + 4, '\0');
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size(), outLeft = out.size();
    char* dst = out.data();
    std::size_t rc = iconv(cd, &in, &inLeft, &dst, &outLeft);
    iconv_close(cd);
    return rc != static_cast<std::size_t>(-1);
}

std::vector<std::string> collect(const std::function<void(const demo::StatementSink&)>& write)
{
    std::vector<std::string> statements;
    write([&](const std::string& s) { statements.push_back(s); });
    return statements;
}

std::time_t noonOf2026_12_08()
{
    std::tm tm{};
    tm.tm_year = 126;
    tm.tm_mon = 11;
    tm.tm_mday = 8;
    tm.tm_hour = 12;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

}  // namespace

TEST(DemoSite, ShapeOfTheMonitoringSite)
{
    demo::Site site = demo::makeSite(1);
    ASSERT_EQ(site.devices.size(), 8u);
    ASSERT_EQ(site.channels.size(), 6u);
    std::map<std::string, int> devicesPerChannel;
    std::set<std::string> channelIds;
    for (const auto& c : site.channels)
        channelIds.insert(c.id);
    for (const auto& d : site.devices) {
        EXPECT_TRUE(channelIds.count(d.channel)) << d.id;
        ++devicesPerChannel[d.channel];
    }
    EXPECT_EQ(devicesPerChannel.size(), 6u);  // every channel in use
    int shared = 0;
    for (const auto& [channel, n] : devicesPerChannel)
        shared += n > 1;
    EXPECT_GE(shared, 1);

    std::map<std::string, int> groupsPerDevice;
    std::set<int> types;
    std::set<std::string> tables;
    for (const auto& g : site.groups) {
        ++groupsPerDevice[g.device];
        EXPECT_GE(g.items.size(), 3u) << g.name;
        EXPECT_LE(g.items.size(), 8u) << g.name;
        EXPECT_TRUE(tables.insert(g.table).second) << g.table;
        std::set<std::string> columns;
        for (const auto& item : g.items) {
            types.insert(item.dataType);
            EXPECT_TRUE(columns.insert(item.code).second) << g.table << "." << item.code;
            EXPECT_TRUE(hasGbkForm(item.name) && hasGbkForm(item.unit)) << item.name << " " << item.unit;
            EXPECT_NE(item.colour, 0);
        }
        EXPECT_TRUE(hasGbkForm(g.name));
    }
    for (const auto& d : site.devices) {
        EXPECT_GE(groupsPerDevice[d.id], 2) << d.id;
        EXPECT_LE(groupsPerDevice[d.id], 3) << d.id;
        EXPECT_TRUE(hasGbkForm(d.name));
    }
    EXPECT_TRUE(types.count(0) && types.count(3) && types.count(100));

    ASSERT_EQ(site.users.size(), 3u);
    int withoutDevices = 0;
    for (const auto& u : site.users)
        withoutDevices += u.devices.empty();
    EXPECT_EQ(withoutDevices, 1);
    ASSERT_EQ(site.roles.size(), 2u);
    std::set<int> menuNumbers;
    for (const auto& m : site.modules)
        menuNumbers.insert(m.menuNo);
    EXPECT_EQ(menuNumbers, (std::set<int>{3, 4}));
    EXPECT_EQ(site.roles[0].modules.size(), 2u);
    EXPECT_TRUE(site.roles[1].modules.empty());
    for (const auto& p : site.protocols)
        EXPECT_FALSE(p.name.empty());

    demo::Group large = demo::makeLargeGroup(1);
    EXPECT_EQ(large.items.size(), 8u);
    EXPECT_EQ(large.minutes, 1);
    EXPECT_FALSE(tables.count(large.table));
}

TEST(DemoSite, SameSeedSameSqlOtherSeedOtherIds)
{
    const std::time_t end = noonOf2026_12_08();
    auto run = [&](std::uint64_t seed) {
        demo::Site site = demo::makeSite(seed);
        return collect([&](const demo::StatementSink& sink) {
            demo::writeConfiguration(site, seed, sink);
            demo::writeMeasurements(site.groups[0], seed, end, 600, sink, 250);
        });
    };
    EXPECT_EQ(run(7), run(7));
    EXPECT_NE(run(7), run(8));
    EXPECT_NE(demo::hexId(7, "a"), demo::hexId(7, "b"));
    EXPECT_EQ(demo::hexId(7, "a").size(), 32u);
}

TEST(DemoSite, MeasurementsEndAtTheGivenTimeWithSomeNulls)
{
    const std::time_t end = noonOf2026_12_08();
    demo::Site site = demo::makeSite(3);
    const demo::Group& group = site.groups[0];
    auto statements = collect([&](const demo::StatementSink& sink) {
        demo::writeMeasurements(group, 3, end, 25920, sink, 1000);
    });
    ASSERT_EQ(statements.size(), 26u);  // 25 full batches and one of 920
    std::size_t rows = 0, nulls = 0;
    for (const std::string& s : statements) {
        for (std::size_t p = s.find("('"); p != std::string::npos; p = s.find("('", p + 1))
            ++rows;
        for (std::size_t p = s.find("NULL"); p != std::string::npos; p = s.find("NULL", p + 1))
            ++nulls;
    }
    EXPECT_EQ(rows, 25920u);
    EXPECT_GT(nulls, 0u);
    EXPECT_LT(nulls, rows * group.items.size() / 200);  // a few, not many
    EXPECT_NE(statements.back().rfind("('2026-12-08 12:00:00'"), std::string::npos);
    EXPECT_NE(statements.front().find("VALUES ('2026-09-09 12:05:00'"), std::string::npos);
}

TEST(DemoSite, SchemaFileHoldsEveryDataTable)
{
    std::ifstream in(std::string(QUORVEL_DEMO_DIR) + "/schema.sql");
    ASSERT_TRUE(in);
    std::stringstream schema;
    schema << in.rdbuf();
    demo::Site site = demo::makeSite(20240501);
    for (const auto& g : site.groups)
        EXPECT_NE(schema.str().find(demo::dataTableDdl(g) + ";"), std::string::npos) << g.table;
    EXPECT_NE(schema.str().find(demo::dataTableDdl(demo::makeLargeGroup(20240501)) + ";"), std::string::npos);
}

TEST(DemoSite, ScaleSiteOfFiveThousandDevicesOnTwentyFiveHundredChannels)
{
    const demo::ScaleSite scale = demo::makeScaleSite(1, 5000, 2500);
    const demo::Site& site = scale.site;
    ASSERT_EQ(site.devices.size(), 5000u);
    ASSERT_EQ(site.channels.size(), 2500u);
    std::set<std::string> channelIds, communications, deviceIds, names;
    for (const auto& c : site.channels) {
        EXPECT_TRUE(channelIds.insert(c.id).second) << c.id;
        EXPECT_TRUE(communications.insert(c.communication).second) << c.communication;
    }
    std::map<std::string, int> perChannel;
    for (const auto& d : site.devices) {
        EXPECT_TRUE(deviceIds.insert(d.id).second) << d.id;
        EXPECT_TRUE(names.insert(d.name).second) << d.name;
        EXPECT_TRUE(channelIds.count(d.channel)) << d.id;
        EXPECT_TRUE(hasGbkForm(d.name)) << d.name;
        ++perChannel[d.channel];
    }
    EXPECT_EQ(perChannel.size(), 2500u) << "every channel in use";

    // The normal site is untouched; every added device has one group on a
    // shared table; the groups' items have ids of their own.
    const demo::Site normal = demo::makeSite(1);
    for (std::size_t i = 0; i < normal.devices.size(); ++i) EXPECT_EQ(site.devices[i].name, normal.devices[i].name);
    EXPECT_EQ(scale.sharedTables.size(), 5u);
    std::set<std::string> sharedNames, itemIds;
    for (const auto& t : scale.sharedTables) sharedNames.insert(t.table);
    std::map<std::string, int> groupsPerDevice;
    for (const auto& g : site.groups) {
        ++groupsPerDevice[g.device];
        for (const auto& item : g.items) EXPECT_TRUE(itemIds.insert(item.id).second) << item.id;
        if (g.device.size() > 5) {
            EXPECT_TRUE(sharedNames.count(g.table)) << g.table;
        }
    }
    EXPECT_EQ(groupsPerDevice.size(), 5000u);

    std::map<std::string, std::size_t> seen;
    for (const auto& u : site.users) {
        for (const auto& d : u.devices) EXPECT_TRUE(deviceIds.count(d)) << u.login << " " << d;
        seen[u.login] = u.devices.size();
    }
    EXPECT_EQ(seen["admin"], 5000u);
    EXPECT_GT(seen["operator"], 5u);
    EXPECT_LT(seen["operator"], 5000u);
    EXPECT_EQ(seen["guest"], 0u);

    EXPECT_EQ(demo::makeScaleSite(1, 8, 4).site.devices.size(), 8u) << "the small demo stays as it is";
}
