// mqtt_throughput: CommStatus floods for 50 cached channels, taken through
// quillet and TransDataHandler into the view registry, side by side with
// mosquitto_sub receiving the same stream into /dev/null.
//
//   mqtt_throughput [messages (100000)] [paced rate for the delay run (2000/s)]
//
// Needs the service environment (source .run/services.env).
#include "support/MqttTestSupport.h"

#include "TestDatabase.h"
#include "db/EMRealDataCommunication.h"
#include "mqtt/TransDataHandler.h"
#include "quillet/MqttClient.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

constexpr int kChannels = 50;

int64_t nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

std::string topicOf(int channel) { return std::to_string(channel) + ";ch" + std::to_string(channel) + "/CommStatus"; }

// Counts posts and keeps the publish-to-post delay carried in the payload
// ("<state> <publish time ns>").
class CountingView : public MsgReceiver {
public:
    explicit CountingView(size_t expected, int64_t fromNs = 0) : fromNs_(fromNs) { delaysNs.reserve(expected); }
    void receiveMsg(std::unique_ptr<MsgBody> body) override {
        int64_t sent = std::atoll(reinterpret_cast<const char*>(body->payload) + 2);
        if (sent < fromNs_) {
            return;  // a late warm-up message
        }
        delaysNs.push_back(nowNs() - sent);  // only the MQTT thread posts
        lastNs = nowNs();
        count.fetch_add(1, std::memory_order_release);
    }
    std::atomic<size_t> count{0};
    std::vector<int64_t> delaysNs;
    std::atomic<int64_t> lastNs{0};

private:
    int64_t fromNs_;
};

struct SubProcess {
    pid_t pid = -1;
    std::atomic<int64_t> exitNs{0};
    std::thread waiter;
    void start(const mqtttest::BrokerEnv& env, int count) {
        std::string port = std::to_string(env.port), n = std::to_string(count);
        pid = fork();
        if (pid == 0) {
            freopen("/dev/null", "w", stdout);
            execlp("mosquitto_sub", "mosquitto_sub", "-h", env.host.c_str(), "-p", port.c_str(), "-u",
                   env.user.c_str(), "-P", env.password.c_str(), "-t", "+/CommStatus", "-C", n.c_str(), "-W", "120",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        waiter = std::thread([this] {
            int status = 0;
            waitpid(pid, &status, 0);
            exitNs = nowNs();
        });
    }
    void finish() {
        if (waiter.joinable()) {
            waiter.join();
        }
    }
};

double percentileMs(std::vector<int64_t> v, double p) {
    if (v.empty()) {
        return 0;
    }
    std::sort(v.begin(), v.end());
    size_t i = std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size())));
    return static_cast<double>(v[i]) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    const int messages = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int pacedRate = argc > 2 ? std::atoi(argv[2]) : 2000;
    try {
        mqtttest::BrokerEnv env = mqtttest::requireBrokerEnv();
        TestDatabase db;  // fresh database, dropped at the end
        std::string rows;
        for (int c = 1; c <= kChannels; ++c) {
            rows += std::string(rows.empty() ? "" : ",") + "('f" + std::to_string(c) + "','" + std::to_string(c) +
                    "','comm',1,0,0)";
        }
        db.execute("insert into em_real_data_communication (id, device, type, before_status, relieve_flag, "
                   "handler_flag) values " + rows);
        if (!db.openPool()) {
            std::fprintf(stderr, "cannot open the database pool\n");
            return 1;
        }
        for (int c = 1; c <= kChannels; ++c) {  // the 50 channels are cached
            if (EMRealDataCommunication::getByDeviceId(std::to_string(c)) == nullptr) {
                std::fprintf(stderr, "fault record %d missing\n", c);
                return 1;
            }
        }

        ViewRegistry registry;
        TransDataHandler handler(registry, &EMRealDataCommunication::getByDeviceId);
        std::unique_ptr<MqttClient> client(MqttClient::create(&handler, env.address().c_str()));
        for (int c = 1; c <= kChannels; ++c) {
            client->subscribe(topicOf(c).c_str());
        }
        client->connect(env.user.c_str(), env.password.c_str());
        if (!mqtttest::waitUntil([&] { return client->isConnected(); }, 5s)) {
            std::fprintf(stderr, "no connection to %s\n", env.address().c_str());
            return 1;
        }
        mqtttest::TestPublisher pub(env);

        // Warm-up until the subscriptions answer.
        CountingView warm(1000);
        registry.registerView(ViewId::Realtime, &warm);
        if (!mqtttest::waitUntil([&] { pub.publish(topicOf(1), "1 " + std::to_string(nowNs())); return warm.count > 0; }, 5s)) {
            std::fprintf(stderr, "subscriptions never became active\n");
            return 1;
        }
        registry.unregisterView(ViewId::Realtime, &warm);

        // --- flood: both subscribers take the same stream ---
        SubProcess sub;
        sub.start(env, messages);
        std::this_thread::sleep_for(1s);  // mosquitto_sub connects and subscribes; warm-up drains
        int64_t startNs = nowNs();
        CountingView view(static_cast<size_t>(messages), startNs);
        registry.registerView(ViewId::Realtime, &view);

        for (int i = 0; i < messages; ++i) {
            std::string payload = std::string(i % 3 ? "1 " : "0 ") + std::to_string(nowNs());
            pub.publish(topicOf(i % kChannels + 1), payload, 0);
        }
        int64_t publishedNs = nowNs();
        mqtttest::waitUntil([&] { return view.count.load() >= static_cast<size_t>(messages); }, 120s);
        sub.finish();
        registry.unregisterView(ViewId::Realtime, &view);

        size_t ours = view.count.load();
        double oursSec = static_cast<double>(view.lastNs - startNs) / 1e9;
        double subSec = static_cast<double>(sub.exitNs - startNs) / 1e9;
        double oursRate = static_cast<double>(ours) / oursSec;
        double subRate = static_cast<double>(messages) / subSec;
        double pubRate = static_cast<double>(messages) / (static_cast<double>(publishedNs - startNs) / 1e9);

        // --- paced: the delay without a backlog ---
        int pacedCount = std::max(1, pacedRate * 3);
        CountingView paced(static_cast<size_t>(pacedCount), nowNs());
        registry.registerView(ViewId::Realtime, &paced);
        auto next = Clock::now();
        for (int i = 0; i < pacedCount; ++i) {
            next += std::chrono::nanoseconds(1000000000LL / std::max(1, pacedRate));
            std::this_thread::sleep_until(next);
            pub.publish(topicOf(i % kChannels + 1), "1 " + std::to_string(nowNs()), 0);
        }
        mqtttest::waitUntil([&] { return paced.count.load() >= static_cast<size_t>(pacedCount); }, 30s);
        registry.unregisterView(ViewId::Realtime, &paced);
        client->stop();

        // --- the handler alone, called directly (no broker, no network) ---
        constexpr int kDirect = 500000;
        std::vector<std::string> topics;
        for (int c = 1; c <= kChannels; ++c) {
            topics.push_back(topicOf(c));
        }
        const std::string directPayload = "1 0";
        CountingView direct(static_cast<size_t>(kDirect));
        registry.registerView(ViewId::Realtime, &direct);
        int64_t directStart = nowNs();
        for (int i = 0; i < kDirect; ++i) {
            const std::string& t = topics[static_cast<size_t>(i % kChannels)];
            handler.onMessage(t.c_str(), static_cast<int>(t.size()),
                              reinterpret_cast<const unsigned char*>(directPayload.c_str()),
                              static_cast<int>(directPayload.size()));
        }
        double directSec = static_cast<double>(nowNs() - directStart) / 1e9;
        registry.unregisterView(ViewId::Realtime, &direct);

        std::printf("mqtt_throughput: %d CommStatus messages over %d cached channels (QoS 0)\n", messages, kChannels);
        std::printf("  publisher sent           %10.0f msg/s\n", pubRate);
        std::printf("  mosquitto_sub > /dev/null %9.0f msg/s  (all %d in %.3f s)\n", subRate, messages, subSec);
        std::printf("  quillet+handler->registry %9.0f msg/s  (%zu posted in %.3f s)\n", oursRate, ours, oursSec);
        std::printf("  ratio handler/mosquitto_sub  %.2f  (target >= 0.90)\n", oursRate / subRate);
        std::printf("  flood publish->post delay: median %.2f ms, p99 %.2f ms\n", percentileMs(view.delaysNs, 0.5),
                    percentileMs(view.delaysNs, 0.99));
        std::printf("  paced %d msg/s publish->post delay: median %.3f ms, p99 %.3f ms (%zu/%d posted)\n", pacedRate,
                    percentileMs(paced.delaysNs, 0.5), percentileMs(paced.delaysNs, 0.99), paced.count.load(),
                    pacedCount);
        std::printf("  handler alone (direct calls): %.0f msg/s, %.2f us per CommStatus (%zu posted)\n",
                    kDirect / directSec, directSec * 1e6 / kDirect, direct.count.load());
        return ours == static_cast<size_t>(messages) ? 0 : 3;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mqtt_throughput: %s\n", e.what());
        return 1;
    }
}
