// Which icons a channel's state reaches, and which lamp a fault record gives.

#include <gtest/gtest.h>

#include "ui/model/RealtimeChannels.h"

namespace {

TEST(RealtimeChannels, EveryDeviceGetsItsOwnIconAndASharedChannelReachesAllOfThem) {
    RealtimeChannels c;
    EXPECT_EQ(c.add("7", "pump"), 0);
    EXPECT_EQ(c.add("8", "sensor"), 1);
    EXPECT_EQ(c.add("7", "spare"), 2);
    ASSERT_EQ(c.items().size(), 3u);
    EXPECT_EQ(c.items()[0].name, "pump");
    EXPECT_EQ(c.items()[2].name, "spare");
    EXPECT_EQ(c.itemsOf("7"), (std::vector<int>{0, 2}));
    EXPECT_EQ(c.itemsOf("8"), (std::vector<int>{1}));
    EXPECT_TRUE(c.itemsOf("9").empty());
    EXPECT_FALSE(c.contains("9"));
    EXPECT_EQ(c.channelOrder(), (std::vector<std::string>{"7", "8"}));
    c.clear();
    EXPECT_TRUE(c.items().empty());
    EXPECT_FALSE(c.contains("7"));
}

TEST(RealtimeChannels, LampIsRedOnlyForARecordWithTheRelieveFlagClear) {
    EXPECT_EQ(lampFor(false, 0), Lamp::Green);
    EXPECT_EQ(lampFor(false, 1), Lamp::Green);
    EXPECT_EQ(lampFor(true, 0), Lamp::Red);
    EXPECT_EQ(lampFor(true, 1), Lamp::Green);
}

}  // namespace
