// The start-up subscriptions from the user's devices and their channels.
#include "TestDatabase.h"
#include "mqtt/ChannelSubscriptions.h"

#include <gtest/gtest.h>

using Topics = std::vector<std::string>;

TEST(ChannelSubscriptions, TwoTopicsPerChannelInDeviceOrder) {
    TestDatabase db({.loadSchema = true, .seed = true});
    // u2 gets d3 (shares channel 7 with d1) and a device on a missing channel;
    // u1 gets a device id that does not exist.
    db.execute("insert into em_device (id, name, passageway) values ('d9', 'x', '99')");
    db.execute("insert into em_user_device (id, user, device) values ('ud4', 'u2', 'd3'), ('ud5', 'u2', 'd9'), "
               "('ud6', 'u1', 'nope')");
    ASSERT_TRUE(db.openPool());

    EXPECT_EQ(channelTopicsForUser("u1"),
              (Topics{"gw01/transup", "7;gw01/CommStatus", "gw02/transup", "8;gw02/CommStatus"}));
    EXPECT_EQ(channelTopicsForUser("u2"),
              (Topics{"gw01/transup", "7;gw01/CommStatus", "gw01/transup", "7;gw01/CommStatus"}))
        << "devices sharing a channel repeat its topics";
    EXPECT_TRUE(channelTopicsForUser("u3").empty()) << "no devices, no topics";
    EXPECT_TRUE(channelTopicsForUser("nobody").empty());
}
