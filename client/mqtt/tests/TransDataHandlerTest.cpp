// The message handler end to end: a real broker, quillet, the handler, real
// fault records in a fresh database, and recording views.
#include "ViewRecorder.h"
#include "support/MqttTestSupport.h"

#include "TestDatabase.h"
#include "db/EMRealDataCommunication.h"
#include "mqtt/ChannelSubscriptions.h"
#include "mqtt/TransDataHandler.h"
#include "quillet/MqttClient.h"

#include <gtest/gtest.h>

#include <memory>

using namespace std::chrono_literals;
using mqtttest::waitUntil;

namespace {

// Seeded database: channel 7 (gw01) has the unrelieved fault row f1,
// channel 8 (gw02) has none. User u1 sees both channels.
class HandlerFixture : public ::testing::Test {
protected:
    void SetUp() override {
        env = mqtttest::requireBrokerEnv();
        db = std::make_unique<TestDatabase>(TestDatabase::Options{.loadSchema = true, .seed = true});
        ASSERT_TRUE(db->openPool());
        handler = std::make_unique<TransDataHandler>(registry, &EMRealDataCommunication::getByDeviceId);
        client.reset(MqttClient::create(handler.get(), env.address().c_str()));
        ASSERT_TRUE(client->connect(env.user.c_str(), env.password.c_str()));
        subscribeUserChannels(*client, "u1");
        // Extra shapes a broker can deliver, to see them ignored.
        for (const char* t : {"/7;gw01/CommStatus", "CommStatus", "a/b", "gw01/transup/x", "marker/transup"}) {
            client->subscribe(t);
        }
        ASSERT_TRUE(waitUntil([&] { return client->isConnected(); }, 5s));
        publisher = std::make_unique<mqtttest::TestPublisher>(env);
        ASSERT_TRUE(publisher->connected());
        registry.registerView(ViewId::Debug, &debugView);
        registry.registerView(ViewId::Realtime, &realtimeView);
        // Subscriptions are active once a marker makes the round trip.
        ASSERT_TRUE(waitUntil([&] { publisher->publish("marker/transup", "m"); return debugView.count() > 0; }, 5s));
        syncMarkers();
    }

    void TearDown() override {
        if (client) {
            client->stop();  // the shutdown order: no callback after this
        }
        handler.reset();
        client.reset();
        registry.unregisterView(ViewId::Debug, &debugView);
        registry.unregisterView(ViewId::Realtime, &realtimeView);
        db.reset();
    }

    // Messages from one publisher arrive in order: once a marker published
    // after them has been posted, the handler is done with them.
    void syncMarkers() {
        bool debugWasRegistered = registry.isRegistered(ViewId::Debug);
        registry.registerView(ViewId::Debug, &debugView);
        std::string token = "sync" + std::to_string(++markerCount);
        ASSERT_TRUE(publisher->publish("marker/transup", token));
        ASSERT_TRUE(waitUntil(
            [&] {
                for (const auto& m : debugView.posted()) {
                    if (m.payload == token) {
                        return true;
                    }
                }
                return false;
            },
            5s));
        debugView.clear();
        realtimeView.clear();
        if (!debugWasRegistered) {
            registry.unregisterView(ViewId::Debug, &debugView);
        }
    }

    uint8_t flagOf(const char* key) {
        EMRealDataCommunication* r = EMRealDataCommunication::getByDeviceId(key);
        return r == nullptr ? 0xff : r->relieveFlag.load();
    }

    mqtttest::BrokerEnv env;
    std::unique_ptr<TestDatabase> db;
    ViewRegistry registry;
    ViewRecorder debugView, realtimeView;
    std::unique_ptr<TransDataHandler> handler;
    std::unique_ptr<MqttClient> client;
    std::unique_ptr<mqtttest::TestPublisher> publisher;
    int markerCount = 0;
};

}  // namespace

TEST_F(HandlerFixture, TransUpGoesToTheDebugViewOnly) {
    const std::string payload("AT\r\n\0x", 6);
    ASSERT_TRUE(publisher->publish("gw01/transup", payload));
    ASSERT_TRUE(waitUntil([&] { return debugView.count() == 1; }, 5s));
    auto posted = debugView.posted();
    EXPECT_EQ(posted[0].topic, "gw01/transup");
    EXPECT_EQ(posted[0].topicLength, 12);
    EXPECT_EQ(posted[0].payload, payload);
    EXPECT_TRUE(posted[0].zeroAfterTopic);
    EXPECT_TRUE(posted[0].zeroAfterPayload);

    ASSERT_TRUE(publisher->publish("gw01/transup/x", "tail"));  // later pieces are not looked at
    ASSERT_TRUE(waitUntil([&] { return debugView.count() == 2; }, 5s));
    EXPECT_EQ(realtimeView.count(), 0u);

    // Debug view closed: dropped (and freed, which ASan checks).
    registry.unregisterView(ViewId::Debug, &debugView);
    debugView.clear();
    ASSERT_TRUE(publisher->publish("gw01/transup", "lost"));
    syncMarkers();
    ASSERT_TRUE(publisher->publish("gw01/transup", "lost too"));
    ASSERT_TRUE(publisher->publish("7;gw01/CommStatus", "1"));  // a marker for the realtime view
    ASSERT_TRUE(waitUntil([&] { return realtimeView.count() == 1; }, 5s));
    EXPECT_EQ(debugView.count(), 0u);
}

TEST_F(HandlerFixture, CommStatusSetsTheRelieveFlagFromBitZero) {
    ASSERT_EQ(flagOf("7"), 0) << "seeded unrelieved row";
    struct Case {
        std::string payload;
        uint8_t flag;
    };
    const Case cases[] = {{"1", 1}, {"0", 0}, {"3", 1}, {"2", 0}, {std::string("\x01\x00", 2), 1}, {"", 0}};
    size_t expected = 0;
    for (const Case& c : cases) {
        ASSERT_TRUE(publisher->publish("7;gw01/CommStatus", c.payload));
        ++expected;
        ASSERT_TRUE(waitUntil([&] { return realtimeView.count() == expected; }, 5s)) << "payload " << c.payload;
        EXPECT_EQ(flagOf("7"), c.flag) << "payload \"" << c.payload << '"';
        PostedMsg m = realtimeView.posted().back();
        EXPECT_EQ(m.topic, "7;gw01/CommStatus");
        EXPECT_EQ(m.payload, c.payload);
        EXPECT_TRUE(m.zeroAfterPayload);
    }
    EXPECT_EQ(debugView.count(), 0u);
}

TEST_F(HandlerFixture, LeadingSlashIsTheSameChannel) {
    ASSERT_TRUE(publisher->publish("/7;gw01/CommStatus", "1"));
    ASSERT_TRUE(waitUntil([&] { return realtimeView.count() == 1; }, 5s));
    EXPECT_EQ(flagOf("7"), 1);
    EXPECT_EQ(realtimeView.posted()[0].topic, "/7;gw01/CommStatus");
}

TEST_F(HandlerFixture, OnePieceAndUnknownSecondPieceAreIgnored) {
    ASSERT_TRUE(publisher->publish("CommStatus", "1"));
    ASSERT_TRUE(publisher->publish("a/b", "1"));
    ASSERT_TRUE(publisher->publish("7;gw01/CommStatus", "1"));
    ASSERT_TRUE(waitUntil([&] { return realtimeView.count() >= 1; }, 5s));
    std::this_thread::sleep_for(50ms);
    auto posted = realtimeView.posted();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].topic, "7;gw01/CommStatus");
    EXPECT_EQ(debugView.count(), 0u);
}

TEST_F(HandlerFixture, FaultRowAppearingLaterIsFoundThen) {
    ASSERT_TRUE(publisher->publish("8;gw02/CommStatus", "0"));
    ASSERT_TRUE(publisher->publish("8;gw02/CommStatus", "0"));
    ASSERT_TRUE(publisher->publish("7;gw01/CommStatus", "0"));
    ASSERT_TRUE(waitUntil([&] { return realtimeView.count() >= 1; }, 5s));
    ASSERT_EQ(realtimeView.count(), 1u) << "channel 8 has no fault row yet";

    db->execute("insert into em_real_data_communication (id, device, type, before_status, relieve_flag, handler_flag) "
                "values ('f8', '8', 'comm', 1, 0, 0)");
    realtimeView.clear();
    ASSERT_TRUE(publisher->publish("8;gw02/CommStatus", "1"));
    ASSERT_TRUE(waitUntil([&] { return realtimeView.count() == 1; }, 5s)) << "asked the database again";
    EXPECT_EQ(realtimeView.posted()[0].topic, "8;gw02/CommStatus");
    EXPECT_EQ(flagOf("8"), 1);
}

TEST_F(HandlerFixture, HostileKeysAndOddArgumentsPostNothing) {
    // Direct calls (as the network thread makes them) with shapes a broker
    // would refuse to carry.
    const char* topics[] = {"7' or '1'='1;gw01/CommStatus", "7\\;x/CommStatus", "%s%s%n;/CommStatus",
                            "';drop table em_real_data_communication;--/CommStatus"};
    for (const char* t : topics) {
        handler->onMessage(t, static_cast<int>(strlen(t)), reinterpret_cast<const unsigned char*>("1"), 1);
    }
    const char binaryTopic[] = "\xff\xfe;\x01/CommStatus";
    handler->onMessage(binaryTopic, sizeof binaryTopic - 1, reinterpret_cast<const unsigned char*>("1"), 1);
    handler->onMessage(nullptr, 5, reinterpret_cast<const unsigned char*>("1"), 1);
    handler->onMessage("7;gw01/CommStatus", -1, reinterpret_cast<const unsigned char*>("1"), 1);
    handler->onMessage("7;gw01/CommStatus", 0, reinterpret_cast<const unsigned char*>("1"), 1);
    EXPECT_EQ(realtimeView.count(), 0u);
    EXPECT_EQ(debugView.count(), 0u);
    EXPECT_EQ(flagOf("7"), 0) << "nothing matched channel 7";

    // A topic length shorter than the text: only that much is looked at.
    handler->onMessage("gw01/transup", 4, reinterpret_cast<const unsigned char*>("x"), 1);
    EXPECT_EQ(debugView.count(), 0u);
    // Null payload counts as empty: state 0, still posted.
    handler->onMessage("7;gw01/CommStatus", 17, nullptr, 5);
    ASSERT_EQ(realtimeView.count(), 1u);
    EXPECT_EQ(realtimeView.posted()[0].payload, "");
    EXPECT_EQ(flagOf("7"), 0);

    // The table is still there and intact.
    EMRealDataCommunication::releaseAll();
    EXPECT_NE(EMRealDataCommunication::getByDeviceId("7"), nullptr);
}

TEST_F(HandlerFixture, LongTopicsEmptyAndZeroPayloadsAndAFlood) {
    std::string longTopic(60000, 'k');
    longTopic += ";gw01/CommStatus";
    client->subscribe(longTopic.c_str());
    client->subscribe("#");  // every shape below reaches the handler
    syncMarkers();
    ASSERT_TRUE(publisher->publish(longTopic, "1"));
    ASSERT_TRUE(publisher->publish("gw01/transup", ""));
    ASSERT_TRUE(publisher->publish("gw01/transup", std::string(3, '\0')));
    ASSERT_TRUE(publisher->publish("//", "x"));
    ASSERT_TRUE(publisher->publish("/", ""));
    ASSERT_TRUE(waitUntil([&] { return debugView.count() >= 2; }, 5s));
    syncMarkers();

    constexpr int kFlood = 5000;
    for (int i = 0; i < kFlood; ++i) {
        ASSERT_TRUE(publisher->publish(i % 2 ? "7;gw01/CommStatus" : "gw01/transup", std::to_string(i % 4), 0));
    }
    ASSERT_TRUE(publisher->publish("8;gw02/CommStatus", "1"));  // no fault row: never posted
    ASSERT_TRUE(waitUntil([&] { return realtimeView.count() + debugView.count() >= kFlood; }, 30s))
        << realtimeView.count() << " + " << debugView.count();
    std::this_thread::sleep_for(100ms);
    // "#" doubles nothing: one subscription per client matches a message once.
    EXPECT_EQ(realtimeView.count(), static_cast<size_t>(kFlood / 2));
    EXPECT_EQ(debugView.count(), static_cast<size_t>(kFlood / 2));
    EXPECT_EQ(flagOf("7"), 1) << "last CommStatus carried 3";
}
