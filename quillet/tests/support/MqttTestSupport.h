// Helpers for tests that talk to a real mosquitto broker.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

struct mosquitto;

namespace mqtttest {

struct BrokerEnv {
    std::string host;
    int port = 0;
    std::string user;
    std::string password;
    std::string address() const { return host + ":" + std::to_string(port); }
};

// The value of an environment variable the services script writes; throws
// with a clear message when it is missing or empty.
std::string requireVar(const char* name);

// The shared broker from QUORVEL_MQTT_HOST/PORT/USER/PASSWORD; throws with a
// clear message when one is missing (the test then fails, never skips).
BrokerEnv requireBrokerEnv();

// Polls `done` every 10 ms until it is true or `timeout` has passed.
bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

// A topic prefix unique to this process and call, so tests sharing the broker
// never see each other's messages.
std::string uniqueTopicRoot(const std::string& label);

// A plain libmosquitto publisher, independent of the code under test.
class TestPublisher {
public:
    explicit TestPublisher(const BrokerEnv& env);
    ~TestPublisher();
    TestPublisher(const TestPublisher&) = delete;
    TestPublisher& operator=(const TestPublisher&) = delete;

    bool connected() const;
    // QoS 1 waits until the broker has taken the message.
    bool publish(const std::string& topic, const std::string& payload, int qos = 1);
    bool publishRaw(const std::string& topic, const void* payload, int length, int qos);

private:
    static void onPublish(mosquitto*, void* obj, int mid);
    mosquitto* mosq_ = nullptr;
    bool connected_ = false;
    std::mutex mutex_;
    std::condition_variable cv_;
    std::vector<int> acked_;
};

// A broker of the test's own on a free loopback port, with a password file;
// it can be stopped and started again on the same port.
class PrivateBroker {
public:
    PrivateBroker(const std::string& user, const std::string& password);
    ~PrivateBroker();
    PrivateBroker(const PrivateBroker&) = delete;
    PrivateBroker& operator=(const PrivateBroker&) = delete;

    bool start();  // waits until the port accepts connections
    void stop();   // waits until the process is gone
    bool running() const { return pid_ > 0; }
    BrokerEnv env() const;

private:
    std::string dir_;
    std::string user_;
    std::string password_;
    int port_ = 0;
    int pid_ = -1;
};

int freeLoopbackPort();
bool portAccepts(int port);

}  // namespace mqtttest
