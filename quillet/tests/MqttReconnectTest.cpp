// Quillet against a broker of the test's own that goes away and comes back.
#include "RecordingHandler.h"
#include "support/MqttTestSupport.h"

#include <gtest/gtest.h>

#include <memory>

using namespace std::chrono_literals;
using mqtttest::PrivateBroker;
using mqtttest::TestPublisher;
using mqtttest::waitUntil;

namespace {

bool roundTrip(RecordingHandler& handler, const mqtttest::BrokerEnv& env, const std::string& topic) {
    TestPublisher pub(env);
    if (!pub.connected()) {
        return false;
    }
    return waitUntil(
        [&] {
            pub.publish(topic, "ping");
            for (const auto& m : handler.snapshot()) {
                if (m.topic == topic) {
                    return true;
                }
            }
            return false;
        },
        5s);
}

}  // namespace

TEST(MqttReconnect, ResubscribesAfterBrokerRestart) {
    PrivateBroker broker("quser", "qpass");
    ASSERT_TRUE(broker.start());
    RecordingHandler handler;
    std::unique_ptr<MqttClient> client(MqttClient::create(&handler, broker.env().address().c_str()));
    ASSERT_TRUE(client->subscribe("gw01/transup"));
    ASSERT_TRUE(client->connect("quser", "qpass"));
    ASSERT_TRUE(waitUntil([&] { return client->isConnected(); }, 5s));
    ASSERT_TRUE(roundTrip(handler, broker.env(), "gw01/transup"));

    broker.stop();  // no persistence: the broker forgets every subscription
    ASSERT_TRUE(waitUntil([&] { return !client->isConnected(); }, 5s));
    EXPECT_FALSE(client->sendMessage(client.get(), "x", reinterpret_cast<const unsigned char*>("x"), 1));
    // A subscription made while the broker is away counts too.
    ASSERT_TRUE(client->subscribe("7;gw01/CommStatus"));

    ASSERT_TRUE(broker.start());
    ASSERT_TRUE(waitUntil([&] { return client->isConnected(); }, 20s)) << "no reconnect";
    handler.clear();
    EXPECT_TRUE(roundTrip(handler, broker.env(), "gw01/transup"));
    EXPECT_TRUE(roundTrip(handler, broker.env(), "7;gw01/CommStatus"));
    client->stop();
}

TEST(MqttReconnect, ConnectsWhenTheBrokerComesUpLater) {
    PrivateBroker broker("quser", "qpass");
    RecordingHandler handler;
    std::unique_ptr<MqttClient> client(MqttClient::create(&handler, broker.env().address().c_str()));
    ASSERT_TRUE(client->connect("quser", "qpass")) << "an absent broker is retried, not an error";
    ASSERT_TRUE(client->subscribe("late/topic"));
    std::this_thread::sleep_for(1500ms);
    EXPECT_FALSE(client->isConnected());
    ASSERT_TRUE(broker.start());
    ASSERT_TRUE(waitUntil([&] { return client->isConnected(); }, 20s));
    EXPECT_TRUE(roundTrip(handler, broker.env(), "late/topic"));
    client->stop();
}

TEST(MqttReconnect, StopWhileTheBrokerIsAwayReturnsPromptly) {
    PrivateBroker broker("quser", "qpass");  // never started
    RecordingHandler handler;
    std::unique_ptr<MqttClient> client(MqttClient::create(&handler, broker.env().address().c_str()));
    ASSERT_TRUE(client->connect("quser", "qpass"));
    std::this_thread::sleep_for(2500ms);  // inside the back-off wait
    auto begin = std::chrono::steady_clock::now();
    client->stop();
    EXPECT_LT(std::chrono::steady_clock::now() - begin, 2s);
}

TEST(MqttReconnect, StopWithAnUnreachableHostReturnsPromptly) {
    // A black-holed address: the TCP connect never completes (or fails at
    // once without a route); either way stop() must not wait for it.
    RecordingHandler handler;
    std::unique_ptr<MqttClient> client(MqttClient::create(&handler, "10.255.255.1:1883"));
    ASSERT_TRUE(client->connect("u", "p"));
    std::this_thread::sleep_for(700ms);
    EXPECT_FALSE(client->isConnected());
    auto begin = std::chrono::steady_clock::now();
    client->stop();
    EXPECT_LT(std::chrono::steady_clock::now() - begin, 2s);
}
