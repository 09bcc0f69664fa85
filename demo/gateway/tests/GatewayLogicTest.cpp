// The gateway's replies and command line.
#include "GatewayOptions.h"
#include "GatewayReplies.h"

#include <gtest/gtest.h>

#include <cstdlib>

TEST(GatewayReplies, AtCommandsGetOkOthersAnEcho) {
    EXPECT_EQ(gatewayReply("AT\r\n"), "OK\r\n");
    EXPECT_EQ(gatewayReply("at+csq"), "OK\r\n");
    EXPECT_EQ(gatewayReply("hello"), "ECHO hello");
    EXPECT_EQ(gatewayReply(""), "ECHO ");
    EXPECT_EQ(gatewayReply("A"), "ECHO A");
    EXPECT_EQ(gatewayReply(std::string("\0AT", 3)), std::string("ECHO \0AT", 8));
}

TEST(GatewayReplies, OnlyThreeLevelTransdownTopicsNameAChannel) {
    EXPECT_EQ(transdownChannel("modbus/gw01/transdown"), "gw01");
    EXPECT_EQ(transdownChannel("/gw01/transdown"), "gw01");
    EXPECT_EQ(transdownChannel("modbus//transdown"), "");
    EXPECT_EQ(transdownChannel("modbus/gw01/transup"), "");
    EXPECT_EQ(transdownChannel("a/modbus/gw01/transdown"), "");
    EXPECT_EQ(transdownChannel("transdown"), "");
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
