// The gateway program against the shared broker and a fresh database.
#include "RecordingHandler.h"
#include "support/MqttTestSupport.h"

#include "TestDatabase.h"

#include <soci/soci.h>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace std::chrono_literals;
using mqtttest::waitUntil;

namespace {

int unrelievedRows(TestDatabase& db, const std::string& channel) {
    auto sql = db.openSession();
    int n = -1;
    *sql << "select count(*) from em_real_data_communication where device = :d and relieve_flag = 0",
        soci::use(channel, "d"), soci::into(n);
    return n;
}

struct GatewayProcess {
    pid_t pid = -1;
    ~GatewayProcess() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    int terminate() {
        kill(pid, SIGTERM);
        int status = 0;
        waitpid(pid, &status, 0);
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

}  // namespace

TEST(GatewayProgram, FlapsChannelsWithFaultRowsAndAnswersTransdown) {
    mqtttest::BrokerEnv env = mqtttest::requireBrokerEnv();
    const char* binDir = std::getenv("QUORVEL_BIN_DIR");
    ASSERT_NE(binDir, nullptr) << "QUORVEL_BIN_DIR is not set (run through ctest)";
    TestDatabase db({.loadSchema = true, .seed = true});
    ASSERT_EQ(unrelievedRows(db, "7"), 1) << "seed has fault f1 on channel 7";

    RecordingHandler seen;
    std::unique_ptr<MqttClient> client(MqttClient::create(&seen, env.address().c_str()));
    client->subscribe("+/transup");
    client->subscribe("+/CommStatus");
    ASSERT_TRUE(client->connect(env.user.c_str(), env.password.c_str()));
    ASSERT_TRUE(waitUntil([&] { return client->isConnected(); }, 5s));

    // The CommStatus messages of both channels, with the database state at
    // the moment each arrived.
    std::mutex m;
    std::vector<std::tuple<std::string, std::string, int>> states;
    seen.onEach = [&](const ReceivedMessage& msg) {
        if (msg.topic == "7;gw01/CommStatus" || msg.topic == "8;gw02/CommStatus") {
            std::string channel = msg.topic.substr(0, 1);
            int rows = unrelievedRows(db, channel);
            std::lock_guard<std::mutex> lock(m);
            states.emplace_back(channel, msg.payload, rows);
        }
    };

    GatewayProcess gateway;
    std::string program = std::string(binDir) + "/quorvel_gateway";
    gateway.pid = fork();
    if (gateway.pid == 0) {
        execl(program.c_str(), program.c_str(), "--db-name", db.name().c_str(), "--period-ms", "700", "--down-ms",
              "300:300", "--heartbeat-ms", "100000", "--seed", "3", static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_GT(gateway.pid, 0);

    // At least one offline/online cycle on some channel.
    ASSERT_TRUE(waitUntil(
        [&] {
            std::lock_guard<std::mutex> lock(m);
            int offline = 0, online = 0;
            for (auto& [c, payload, rows] : states) {
                (payload == "0" ? offline : online)++;
            }
            return offline >= 2 && online >= 4;
        },
        15s));

    // Data sent down comes back up on the channel's transup topic.
    mqtttest::TestPublisher pub(env);
    ASSERT_TRUE(pub.publish("modbus/gw01/transdown", "AT\r\n"));
    ASSERT_TRUE(pub.publish("modbus/gw02/transdown", "hello"));
    ASSERT_TRUE(waitUntil(
        [&] {
            bool ok = false, echo = false;
            for (const auto& msg : seen.snapshot()) {
                ok = ok || (msg.topic == "gw01/transup" && msg.payload == "OK\r\n");
                echo = echo || (msg.topic == "gw02/transup" && msg.payload == "ECHO hello");
            }
            return ok && echo;
        },
        5s));
    EXPECT_EQ(gateway.terminate(), 0) << "SIGTERM ends it cleanly";
    EXPECT_EQ(unrelievedRows(db, "7") + unrelievedRows(db, "8"), 0) << "no fault left open at exit";
    client->stop();
    seen.onEach = nullptr;

    std::lock_guard<std::mutex> lock(m);
    // First the start: every channel online and the old fault relieved.
    ASSERT_GE(states.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(std::get<1>(states[i]), "1");
        EXPECT_EQ(std::get<2>(states[i]), 0) << "channel " << std::get<0>(states[i]);
    }
    // Then: an offline message only with its row already written, an
    // online message only with it relieved.
    for (auto& [channel, payload, rows] : states) {
        if (payload == "0") {
            EXPECT_EQ(rows, 1) << "channel " << channel << " went offline";
        } else {
            EXPECT_EQ(payload, "1");
            EXPECT_EQ(rows, 0) << "channel " << channel << " came back";
        }
    }
}
