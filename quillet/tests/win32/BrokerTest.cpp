#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

#include "RecordingHandler.h"
#include "quillet/MqttClient.h"

namespace {

std::string env(const char* name)
{
    const char* v = std::getenv(name);
    return v ? v : "";
}

struct Broker {
    std::string host = env("QUORVEL_MQTT_HOST");
    std::string port = env("QUORVEL_MQTT_PORT");
    std::string tlsPort = env("QUORVEL_MQTT_TLS_PORT");
    std::string user = env("QUORVEL_MQTT_USER");
    std::string password = env("QUORVEL_MQTT_PASSWORD");
    std::string ca = env("QUORVEL_TLS_CA");
    bool ready() const { return !host.empty() && !port.empty() && !user.empty(); }
};

template <class F>
bool waitUntil(F f, int ms = 15000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!f()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

std::string topicRoot()
{
    return "/quillet-win32/" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount64());
}

// Subscribes, publishes a payload with every byte value and hears it back.
void roundTrip(MqttClient& client, RecordingHandler& handler, const std::string& root)
{
    ASSERT_TRUE(client.subscribe((root + "/#").c_str()));
    std::string payload;
    for (int i = 0; i < 256; ++i)
        payload += static_cast<char>(i);
    const std::string topic = root + "/CommStatus";
    // The subscription may still be on its way: publish until heard.
    ASSERT_TRUE(waitUntil([&] {
        client.sendMessage(nullptr, topic.c_str(), reinterpret_cast<const unsigned char*>(payload.data()),
                           static_cast<int>(payload.size()));
        return waitUntil([&] { return handler.count() > 0; }, 1000);
    }));
    const auto got = handler.snapshotWithout("");
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(got[0].topic, topic);
    EXPECT_TRUE(got[0].topicMatchesLength);
    EXPECT_EQ(got[0].payloadLength, 256);
    EXPECT_TRUE(got[0].payload == payload) << "payload damaged";
    EXPECT_TRUE(got[0].zeroAfterPayload);
}

} // namespace

TEST(QuilletWin32, PublishesAndHearsItsOwnTopicOnTheBroker)
{
    const Broker b;
    ASSERT_TRUE(b.ready()) << "QUORVEL_MQTT_* not set (scripts/services.sh)";
    RecordingHandler handler;
    std::unique_ptr<MqttClient> client(MqttClient::create(&handler, (b.host + ":" + b.port).c_str()));
    ASSERT_TRUE(client);
    ASSERT_TRUE(client->connect(b.user.c_str(), b.password.c_str()));
    ASSERT_TRUE(waitUntil([&] { return client->isConnected(); }));
    roundTrip(*client, handler, topicRoot());
    client->stop();
    EXPECT_FALSE(client->isConnected());
}

TEST(QuilletWin32, WrongPasswordIsRefusedByTheBroker)
{
    const Broker b;
    ASSERT_TRUE(b.ready());
    RecordingHandler handler;
    std::unique_ptr<MqttClient> client(MqttClient::create(&handler, (b.host + ":" + b.port).c_str()));
    client->connect(b.user.c_str(), "not-the-password");
    ASSERT_TRUE(waitUntil([&] { return client->lastFailure() == MqttLinkFailure::Refused; }));
    EXPECT_FALSE(client->isConnected());
    client->stop();
}

TEST(QuilletWin32, TlsWithThePrivateCaAndRefusalOfAnUntrustedOne)
{
    const Broker b;
    ASSERT_TRUE(b.ready());
    ASSERT_FALSE(b.tlsPort.empty());
    {
        RecordingHandler handler;
        std::unique_ptr<MqttClient> client(MqttClient::create(&handler, (b.host + ":" + b.tlsPort).c_str()));
        MqttTlsSettings tls;
        tls.caFile = b.ca;
        ASSERT_TRUE(client->setTls(tls));
        ASSERT_TRUE(client->connect(b.user.c_str(), b.password.c_str()));
        std::string detail;
        ASSERT_TRUE(waitUntil([&] { return client->isConnected(); })) << static_cast<int>(client->lastFailure(&detail))
                                                                      << " " << detail;
        roundTrip(*client, handler, topicRoot());
        client->stop();
    }
    {
        // A certificate that signed nothing of the broker's as the only CA.
        RecordingHandler handler;
        std::unique_ptr<MqttClient> client(MqttClient::create(&handler, (b.host + ":" + b.tlsPort).c_str()));
        MqttTlsSettings tls;
        tls.caFile = env("QUORVEL_TLS_CLIENT_CERT");
        ASSERT_TRUE(client->setTls(tls));
        client->connect(b.user.c_str(), b.password.c_str());
        ASSERT_TRUE(waitUntil([&] { return client->lastFailure() == MqttLinkFailure::TlsUntrusted; }))
            << static_cast<int>(client->lastFailure());
        EXPECT_FALSE(client->isConnected());
        client->stop();
    }
}
