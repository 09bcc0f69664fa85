#include "MqttTestSupport.h"

#include <mosquitto.h>

#include <arpa/inet.h>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <netinet/in.h>
#include <pwd.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace mqtttest {

std::string requireVar(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') {
        throw std::runtime_error(std::string(name) +
                                 " is not set: run `source .run/services.env` (scripts/services.sh start) first");
    }
    return value;
}

namespace {

std::once_flag g_libInit;

}  // namespace

BrokerEnv requireBrokerEnv() {
    BrokerEnv env;
    env.host = requireVar("QUORVEL_MQTT_HOST");
    env.port = std::atoi(requireVar("QUORVEL_MQTT_PORT").c_str());
    env.user = requireVar("QUORVEL_MQTT_USER");
    env.password = requireVar("QUORVEL_MQTT_PASSWORD");
    return env;
}

bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) {
            return done();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

std::string uniqueTopicRoot(const std::string& label) {
    static std::atomic<int> counter{0};
    return "qt" + std::to_string(getpid()) + "x" + std::to_string(counter++) + label;
}

TestPublisher::TestPublisher(const BrokerEnv& env) {
    std::call_once(g_libInit, [] { mosquitto_lib_init(); });
    mosq_ = mosquitto_new(nullptr, true, this);
    if (mosq_ == nullptr) {
        return;
    }
    mosquitto_publish_callback_set(mosq_, &TestPublisher::onPublish);
    mosquitto_username_pw_set(mosq_, env.user.c_str(), env.password.c_str());
    if (mosquitto_connect(mosq_, env.host.c_str(), env.port, 30) == MOSQ_ERR_SUCCESS &&
        mosquitto_loop_start(mosq_) == MOSQ_ERR_SUCCESS) {
        connected_ = true;
    }
}

TestPublisher::~TestPublisher() {
    if (mosq_ == nullptr) {
        return;
    }
    if (connected_) {
        mosquitto_disconnect(mosq_);
        mosquitto_loop_stop(mosq_, false);
    }
    mosquitto_destroy(mosq_);
}

bool TestPublisher::connected() const { return connected_; }

void TestPublisher::onPublish(mosquitto*, void* obj, int mid) {
    auto* self = static_cast<TestPublisher*>(obj);
    std::lock_guard<std::mutex> lock(self->mutex_);
    self->acked_.push_back(mid);
    self->cv_.notify_all();
}

bool TestPublisher::publish(const std::string& topic, const std::string& payload, int qos) {
    return publishRaw(topic, payload.data(), static_cast<int>(payload.size()), qos);
}

bool TestPublisher::publishRaw(const std::string& topic, const void* payload, int length, int qos) {
    if (!connected_) {
        return false;
    }
    int mid = 0;
    if (mosquitto_publish(mosq_, &mid, topic.c_str(), length, payload, qos, false) != MOSQ_ERR_SUCCESS) {
        return false;
    }
    if (qos == 0) {
        return true;
    }
    std::unique_lock<std::mutex> lock(mutex_);
    return cv_.wait_for(lock, std::chrono::seconds(10), [&] {
        for (int m : acked_) {
            if (m == mid) {
                return true;
            }
        }
        return false;
    });
}

int freeLoopbackPort() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    int port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0) {
        port = ntohs(addr.sin_port);
    }
    close(fd);
    return port;
}

bool portAccepts(int port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(port));
    bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    close(fd);
    return ok;
}

PrivateBroker::PrivateBroker(const std::string& user, const std::string& password)
    : user_(user), password_(password) {
    char pattern[] = "/tmp/quillet-broker-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (made == nullptr) {
        throw std::runtime_error("cannot create a directory for the private broker");
    }
    dir_ = made;
    port_ = freeLoopbackPort();
    std::string passwd = dir_ + "/passwd";
    std::string cmd = "mosquitto_passwd -b -c '" + passwd + "' '" + user_ + "' '" + password_ + "' 2>/dev/null";
    if (std::system(cmd.c_str()) != 0) {
        throw std::runtime_error("mosquitto_passwd failed (is mosquitto installed?)");
    }
    std::ofstream conf(dir_ + "/mosquitto.conf");
    // Run as ourselves: as root mosquitto would switch to a user that
    // cannot read our private directory.
    const struct passwd* me = getpwuid(getuid());
    if (me != nullptr) {
        conf << "user " << me->pw_name << "\n";
    }
    conf << "listener " << port_ << " 127.0.0.1\n"
         << "allow_anonymous false\n"
         << "password_file " << passwd << "\n"
         << "persistence false\n"
         << "log_dest none\n";
}

PrivateBroker::~PrivateBroker() {
    stop();
    std::string cmd = "rm -rf '" + dir_ + "'";
    [[maybe_unused]] int rc = std::system(cmd.c_str());
}

bool PrivateBroker::start() {
    if (pid_ > 0) {
        return true;
    }
    std::string conf = dir_ + "/mosquitto.conf";
    pid_t pid = fork();
    if (pid == 0) {
        execlp("mosquitto", "mosquitto", "-c", conf.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    if (pid < 0) {
        return false;
    }
    pid_ = pid;
    return waitUntil([&] { return portAccepts(port_); }, std::chrono::seconds(10));
}

void PrivateBroker::stop() {
    if (pid_ <= 0) {
        return;
    }
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
}

BrokerEnv PrivateBroker::env() const {
    BrokerEnv env;
    env.host = "127.0.0.1";
    env.port = port_;
    env.user = user_;
    env.password = password_;
    return env;
}

}  // namespace mqtttest
