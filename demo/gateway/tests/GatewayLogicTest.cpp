// The gateway's replies and command line.
#include "GatewayOptions.h"
#include "GatewayReplies.h"
#include "RateFlapper.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>

TEST(GatewayReplies, AtCommandsGetOkOthersAnEcho) {
    EXPECT_EQ(gatewayReply("AT\r\n"), "OK\r\n");
    EXPECT_EQ(gatewayReply("at+csq"), "OK\r\n");
    EXPECT_EQ(gatewayReply("hello"), "ECHO hello");
    EXPECT_EQ(gatewayReply(""), "ECHO ");
    EXPECT_EQ(gatewayReply("A"), "ECHO A");
    EXPECT_EQ(gatewayReply(std::string("\0AT", 3)), std::string("ECHO \0AT", 8));
}

TEST(GatewayOptions, CommandLineOverridesTheEnvironment) {
    setenv("QUORVEL_MQTT_PORT", "16002", 1);
    setenv("QUORVEL_DB_PASSWORD", "envpw", 1);
    const char* argv[] = {"gw", "--mqtt-port", "1999", "--db-name", "demo1", "--down-ms", "100:200", "--seed", "7"};
    GatewayOptions o;
    bool help = false;
    std::string error;
    ASSERT_TRUE(parseGatewayOptions(9, const_cast<char**>(argv), o, help, error)) << error;
    EXPECT_FALSE(help);
    EXPECT_EQ(o.mqttPort, 1999);
    EXPECT_EQ(o.dbPassword, "envpw");
    EXPECT_EQ(o.dbName, "demo1");
    EXPECT_EQ(o.minDownMs, 100);
    EXPECT_EQ(o.maxDownMs, 200);
    EXPECT_EQ(o.seed, 7u);

    const char* combined[] = {"gw", "--mqtt", "10.0.0.5:6002"};
    GatewayOptions c;
    ASSERT_TRUE(parseGatewayOptions(3, const_cast<char**>(combined), c, help, error)) << error;
    EXPECT_EQ(c.mqttHost, "10.0.0.5");
    EXPECT_EQ(c.mqttPort, 6002);
    EXPECT_FALSE(c.fast);
    EXPECT_EQ(c.siteSeed, demo::kDefaultSeed);

    // --fast takes no value: the option after it is still read.
    const char* loggers[] = {"gw", "--fast", "--site-seed", "77", "--backfill-days", "3"};
    GatewayOptions l;
    ASSERT_TRUE(parseGatewayOptions(6, const_cast<char**>(loggers), l, help, error)) << error;
    EXPECT_TRUE(l.fast);
    EXPECT_EQ(l.siteSeed, 77u);
    EXPECT_EQ(l.backfillDays, 3);

    for (std::vector<const char*> bad : {std::vector<const char*>{"gw", "--bogus", "1"}, {"gw", "--mqtt-port"},
                                         {"gw", "--mqtt-port", "12x"}, {"gw", "--down-ms", "300:100"},
                                         {"gw", "--period-ms", "0"}, {"gw", "--db-port", "-5"},
                                         {"gw", "--mqtt", "nohostport"}, {"gw", "--mqtt", ":6002"},
                                         {"gw", "--backfill-days", "0"}, {"gw", "--site-seed", "-1"},
                                         {"gw", "--site-seed", "99999999999999999999"}}) {
        GatewayOptions b;
        EXPECT_FALSE(parseGatewayOptions(static_cast<int>(bad.size()), const_cast<char**>(bad.data()), b, help, error))
            << bad[1];
        EXPECT_FALSE(error.empty());
    }
}

TEST(RateFlapper, ATenthOfTheChannelsTakeTurnsAtTheGivenRate) {
    using Clock = RateFlapper::Clock;
    const Clock::time_point t0{};
    RateFlapper flapper(2500, 10, 1000, 42, t0);
    ASSERT_EQ(flapper.flapping().size(), 250u);
    std::set<std::size_t> distinct(flapper.flapping().begin(), flapper.flapping().end());
    EXPECT_EQ(distinct.size(), 250u);
    EXPECT_LT(*distinct.rbegin(), 2500u);
    EXPECT_EQ(RateFlapper(2500, 10, 1000, 42, t0).flapping(), flapper.flapping()) << "same seed, same channels";

    // 2.5 s at 1000/s in uneven steps: 2500 messages, every flapping channel
    // exactly ten times, in turn.
    std::map<std::size_t, int> turns;
    std::size_t total = 0;
    for (int ms : {1, 7, 250, 251, 999, 1500, 2499, 2500}) {
        for (std::size_t c : flapper.due(t0 + std::chrono::milliseconds(ms))) {
            ++turns[c];
            ++total;
        }
    }
    EXPECT_EQ(total, 2500u);
    EXPECT_EQ(flapper.sent(), 2500);
    ASSERT_EQ(turns.size(), 250u);
    for (const auto& [channel, n] : turns) EXPECT_EQ(n, 10) << channel;

    // A stall of ten seconds catches up by at most one second's worth.
    EXPECT_EQ(flapper.due(t0 + std::chrono::milliseconds(12500)).size(), 1000u);
    // A restart counts from the new start.
    flapper.startAt(t0 + std::chrono::seconds(20));
    EXPECT_TRUE(flapper.due(t0 + std::chrono::seconds(20)).empty());
    EXPECT_EQ(flapper.due(t0 + std::chrono::milliseconds(20100)).size(), 100u);

    EXPECT_EQ(RateFlapper(5, 10, 1000, 1, t0).flapping().size(), 1u) << "at least one channel flaps";
    EXPECT_TRUE(RateFlapper(0, 10, 1000, 1, t0).due(t0 + std::chrono::seconds(1)).empty());
}

TEST(GatewayOptions, RateFlappingShareAndStateFile) {
    const char* argv[] = {"gw", "--rate", "1000", "--flapping", "25", "--state-file", "/tmp/s.txt"};
    GatewayOptions o;
    bool help = false;
    std::string error;
    ASSERT_TRUE(parseGatewayOptions(7, const_cast<char**>(argv), o, help, error)) << error;
    EXPECT_EQ(o.ratePerSecond, 1000);
    EXPECT_EQ(o.flappingPercent, 25);
    EXPECT_EQ(o.stateFile, "/tmp/s.txt");
    GatewayOptions d;
    EXPECT_EQ(d.ratePerSecond, 0) << "the normal demo stays the default";
    for (std::vector<const char*> bad : {std::vector<const char*>{"gw", "--rate", "100001"},
                                         {"gw", "--flapping", "0"}, {"gw", "--flapping", "101"}}) {
        GatewayOptions b;
        EXPECT_FALSE(parseGatewayOptions(3, const_cast<char**>(bad.data()), b, help, error)) << bad[1];
    }
}
