// Quillet over TLS against the shared mosquitto's TLS listeners, and against
// listeners of the test's own that present a certificate the client must
// refuse: the user name and password must never reach them.
#include "RecordingHandler.h"
#include "support/MqttTestSupport.h"

#include "quorvel_test/TempDir.h"
#include "quorvel_test/TlsRecordingListener.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>

using namespace std::chrono_literals;
using mqtttest::requireVar;
using mqtttest::waitUntil;
using quorvel_test::TlsRecordingListener;

namespace {

struct TlsFixture : ::testing::Test {
    void SetUp() override {
        env = mqtttest::requireBrokerEnv();
        tlsDir = requireVar("QUORVEL_TLS_DIR");
        settings.caFile = requireVar("QUORVEL_TLS_CA");
    }
    std::string tlsFile(const char* name) const { return tlsDir + "/" + name; }
    std::string loopback(int port) const { return "127.0.0.1:" + std::to_string(port); }

    // Lets a TLS client try `listener` until it has given up at least once.
    MqttLinkFailure tryAgainst(const TlsRecordingListener& listener, const MqttTlsSettings& tls,
                               std::string* detail) {
        RecordingHandler handler;
        std::unique_ptr<MqttClient> client(MqttClient::create(&handler, loopback(listener.port()).c_str()));
        EXPECT_TRUE(client->setTls(tls));
        EXPECT_TRUE(client->connect(env.user.c_str(), env.password.c_str()));
        EXPECT_TRUE(waitUntil([&] { return client->lastFailure() != MqttLinkFailure::None; }, 15s));
        EXPECT_FALSE(client->isConnected());
        MqttLinkFailure failure = client->lastFailure(detail);
        client->stop();
        return failure;
    }

    mqtttest::BrokerEnv env;
    std::string tlsDir;
    MqttTlsSettings settings;
};

}  // namespace

TEST_F(TlsFixture, SessionOverTlsCarriesMessagesBothWays) {
    const std::string root = mqtttest::uniqueTopicRoot("tls");
    RecordingHandler tlsHandler, plainHandler;
    std::unique_ptr<MqttClient> tlsClient(
        MqttClient::create(&tlsHandler, loopback(std::stoi(requireVar("QUORVEL_MQTT_TLS_PORT"))).c_str()));
    ASSERT_TRUE(tlsClient->setTls(settings));
    ASSERT_TRUE(tlsClient->subscribe((root + "/up").c_str()));
    ASSERT_TRUE(tlsClient->connect(env.user.c_str(), env.password.c_str()));
    ASSERT_TRUE(waitUntil([&] { return tlsClient->isConnected(); }, 10s))
        << "no TLS session; last failure " << static_cast<int>(tlsClient->lastFailure());
    EXPECT_EQ(tlsClient->lastFailure(), MqttLinkFailure::None);

    // A plain client on the same broker sees what the TLS client sends, and
    // the TLS client receives what the plain one publishes.
    std::unique_ptr<MqttClient> plainClient(MqttClient::create(&plainHandler, env.address().c_str()));
    ASSERT_TRUE(plainClient->subscribe((root + "/down").c_str()));
    ASSERT_TRUE(plainClient->connect(env.user.c_str(), env.password.c_str()));
    ASSERT_TRUE(waitUntil([&] { return plainClient->isConnected(); }, 10s));
    EXPECT_TRUE(waitUntil(
        [&] {
            tlsClient->sendMessage(nullptr, (root + "/down").c_str(), reinterpret_cast<const unsigned char*>("AT\r\n"), 4);
            plainClient->sendMessage(nullptr, (root + "/up").c_str(), reinterpret_cast<const unsigned char*>("OK"), 2);
            return plainHandler.count() > 0 && tlsHandler.count() > 0;
        },
        10s));
    ASSERT_GT(plainHandler.count(), 0u);
    EXPECT_EQ(plainHandler.snapshot().front().payload, "AT\r\n");
    ASSERT_GT(tlsHandler.count(), 0u);
    EXPECT_EQ(tlsHandler.snapshot().front().payload, "OK");
}

TEST_F(TlsFixture, ServerOfAnotherCaNeverReceivesThePassword) {
    TlsRecordingListener rogue(tlsFile("other-server.pem"), tlsFile("other-server.key"));
    std::string detail;
    EXPECT_EQ(tryAgainst(rogue, settings, &detail), MqttLinkFailure::TlsUntrusted) << detail;
    EXPECT_FALSE(detail.empty());
    EXPECT_GE(rogue.connections(), 1);
    EXPECT_EQ(rogue.handshakesCompleted(), 0);
    EXPECT_EQ(rogue.received().find(env.password), std::string::npos);
    EXPECT_EQ(rogue.received().find(env.user), std::string::npos);
}

TEST_F(TlsFixture, CertificateForAnotherHostIsRefusedUnlessTheCheckIsOff) {
    {
        TlsRecordingListener wrongName(tlsFile("wrong-name.pem"), tlsFile("wrong-name.key"));
        std::string detail;
        EXPECT_EQ(tryAgainst(wrongName, settings, &detail), MqttLinkFailure::TlsHostName) << detail;
        EXPECT_EQ(wrongName.handshakesCompleted(), 0);
        EXPECT_EQ(wrongName.received().find(env.password), std::string::npos);
    }
    // The same certificate with the host-name check switched off is taken
    // (its CA is trusted) and the CONNECT with the password arrives: the
    // listener would have seen a leak above.
    TlsRecordingListener wrongName(tlsFile("wrong-name.pem"), tlsFile("wrong-name.key"));
    MqttTlsSettings lax = settings;
    lax.verifyHostName = false;
    RecordingHandler handler;
    std::unique_ptr<MqttClient> client(MqttClient::create(&handler, loopback(wrongName.port()).c_str()));
    ASSERT_TRUE(client->setTls(lax));
    ASSERT_TRUE(client->connect(env.user.c_str(), env.password.c_str()));
    EXPECT_TRUE(waitUntil([&] { return wrongName.received().find(env.password) != std::string::npos; }, 15s));
    EXPECT_GE(wrongName.handshakesCompleted(), 1);
    client->stop();
}

TEST_F(TlsFixture, ClientCertificateWhereTheBrokerRequiresOne) {
    const std::string address = loopback(std::stoi(requireVar("QUORVEL_MQTT_TLS_CERT_PORT")));
    {
        RecordingHandler handler;
        std::unique_ptr<MqttClient> client(MqttClient::create(&handler, address.c_str()));
        ASSERT_TRUE(client->setTls(settings));
        ASSERT_TRUE(client->connect(env.user.c_str(), env.password.c_str()));
        EXPECT_TRUE(waitUntil([&] { return client->lastFailure() != MqttLinkFailure::None; }, 15s));
        EXPECT_FALSE(client->isConnected()) << "the broker took a client without a certificate";
    }
    MqttTlsSettings withCertificate = settings;
    withCertificate.certFile = requireVar("QUORVEL_TLS_CLIENT_CERT");
    withCertificate.keyFile = requireVar("QUORVEL_TLS_CLIENT_KEY");
    RecordingHandler handler;
    std::unique_ptr<MqttClient> client(MqttClient::create(&handler, address.c_str()));
    ASSERT_TRUE(client->setTls(withCertificate));
    ASSERT_TRUE(client->connect(env.user.c_str(), env.password.c_str()));
    EXPECT_TRUE(waitUntil([&] { return client->isConnected(); }, 10s));
}

TEST_F(TlsFixture, UnusableSettingsNeverFallBackToPlainTcp) {
    RecordingHandler handler;
    MqttTlsSettings missing = settings;
    missing.caFile = tlsDir + "/no-such-ca.pem";
    std::unique_ptr<MqttClient> client(MqttClient::create(&handler, env.address().c_str()));
    EXPECT_FALSE(client->setTls(missing));
    EXPECT_EQ(client->lastFailure(), MqttLinkFailure::TlsSettings);
    EXPECT_FALSE(client->connect(env.user.c_str(), env.password.c_str()));

    MqttTlsSettings keyOnly = settings;
    keyOnly.keyFile = requireVar("QUORVEL_TLS_CLIENT_KEY");
    std::unique_ptr<MqttClient> second(MqttClient::create(&handler, env.address().c_str()));
    EXPECT_FALSE(second->setTls(keyOnly));
    EXPECT_FALSE(second->connect(env.user.c_str(), env.password.c_str()));
}

TEST_F(TlsFixture, CaFolderOfHashedCertificatesIsTrusted) {
    TempDir folder;
    std::filesystem::copy_file(settings.caFile, folder.file("site-ca.pem"));
    ASSERT_EQ(std::system(("openssl rehash " + folder.path().string() + " >/dev/null 2>&1").c_str()), 0);
    MqttTlsSettings byFolder;
    byFolder.caPath = folder.path().string();

    RecordingHandler handler;
    std::unique_ptr<MqttClient> client(
        MqttClient::create(&handler, loopback(std::stoi(requireVar("QUORVEL_MQTT_TLS_PORT"))).c_str()));
    ASSERT_TRUE(client->setTls(byFolder));
    ASSERT_TRUE(client->connect(env.user.c_str(), env.password.c_str()));
    EXPECT_TRUE(waitUntil([&] { return client->isConnected(); }, 10s));

    TlsRecordingListener rogue(tlsFile("other-server.pem"), tlsFile("other-server.key"));
    EXPECT_EQ(tryAgainst(rogue, byFolder, nullptr), MqttLinkFailure::TlsUntrusted);
    EXPECT_EQ(rogue.received().find(env.password), std::string::npos);
}
