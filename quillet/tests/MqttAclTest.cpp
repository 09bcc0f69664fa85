// The broker account of the client under the services' ACL: it may read
// channel states and replies and write only on transdown topics. Whatever
// it publishes elsewhere, and whatever it subscribes to elsewhere, the
// broker drops. Order proves the drop without waiting: messages of one
// connection reach a subscriber in the order they were sent, so once a
// later allowed message has arrived, an earlier refused one never will.
#include "RecordingHandler.h"
#include "support/MqttTestSupport.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <stdexcept>

using namespace std::chrono_literals;
using mqtttest::requireVar;
using mqtttest::waitUntil;

namespace {

bool send(MqttClient& client, const std::string& topic, const std::string& payload) {
    return client.sendMessage(nullptr, topic.c_str(), reinterpret_cast<const unsigned char*>(payload.data()),
                              static_cast<int>(payload.size()));
}

std::vector<std::string> topicsOf(RecordingHandler& handler) {
    std::vector<std::string> topics;
    for (const auto& m : handler.snapshot()) {
        topics.push_back(m.topic);
    }
    return topics;
}

struct AclFixture : ::testing::Test {
    void SetUp() override {
        server = mqtttest::requireBrokerEnv();
        clientUser = requireVar("QUORVEL_MQTT_CLIENT_USER");
        clientPassword = requireVar("QUORVEL_MQTT_CLIENT_PASSWORD");
        comm = "acl" + std::to_string(getpid()) + "_" + std::to_string(++counter);
    }
    std::unique_ptr<MqttClient> connect(RecordingHandler& handler, const std::string& user, const std::string& password,
                                        const std::vector<std::string>& topics) {
        std::unique_ptr<MqttClient> c(MqttClient::create(&handler, server.address().c_str()));
        for (const auto& t : topics) {
            EXPECT_TRUE(c->subscribe(t.c_str()));
        }
        EXPECT_TRUE(c->connect(user.c_str(), password.c_str()));
        EXPECT_TRUE(waitUntil([&] { return c->isConnected(); }, 10s)) << user << " has no session";
        return c;
    }
    mqtttest::BrokerEnv server;
    std::string clientUser, clientPassword, comm;
    static inline int counter = 0;
};

}  // namespace

TEST_F(AclFixture, ClientAccountPublishesOnlyOnTransdown) {
    const std::string down = "modbus/" + comm + "/transdown";
    const std::vector<std::string> refused = {comm + "/transup", "7;" + comm + "/CommStatus", comm + "/other",
                                              "modbus/" + comm + "/transdown/deeper"};
    RecordingHandler serverSide, clientSide;
    std::vector<std::string> watched = refused;
    watched.push_back(down);
    auto watcher = connect(serverSide, server.user, server.password, watched);
    auto client = connect(clientSide, clientUser, clientPassword, {});

    // Until the watcher's subscriptions are active nothing arrives at all;
    // repeat the round (refused ones first) until the allowed one is seen.
    ASSERT_TRUE(waitUntil(
        [&] {
            for (const auto& topic : refused) {
                send(*client, topic, "forbidden");
            }
            send(*client, down, "AT\r\n");
            return serverSide.count() > 0;
        },
        10s));
    for (const auto& topic : topicsOf(serverSide)) {
        EXPECT_EQ(topic, down) << "the broker let the client publish outside its ACL";
    }
}

TEST_F(AclFixture, ClientAccountReadsStatesAndRepliesButNotTransdown) {
    const std::string up = comm + "/transup";
    const std::string status = "7;" + comm + "/CommStatus";
    const std::string down = "modbus/" + comm + "/transdown";
    RecordingHandler serverSide, clientSide;
    auto gateway = connect(serverSide, server.user, server.password, {});
    auto client = connect(clientSide, clientUser, clientPassword, {down, up, status});

    ASSERT_TRUE(waitUntil(
        [&] {
            send(*gateway, down, "not for the client");
            send(*gateway, status, "1");
            send(*gateway, up, "OK\r\n");
            auto topics = topicsOf(clientSide);
            return std::find(topics.begin(), topics.end(), up) != topics.end();
        },
        10s));
    bool sawStatus = false;
    for (const auto& topic : topicsOf(clientSide)) {
        EXPECT_NE(topic, down) << "the client account may not read transdown topics";
        sawStatus = sawStatus || topic == status;
    }
    EXPECT_TRUE(sawStatus) << "channel states must reach the client account";
}
