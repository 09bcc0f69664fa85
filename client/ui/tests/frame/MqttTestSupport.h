#pragma once
// Publishing as a gateway would (libmosquitto), and a private broker that a
// test may stop and start again.

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>

#include <arpa/inet.h>
#include <mosquitto.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace frametest {

class Publisher {
public:
    Publisher(const std::string& host, int port, const std::string& user, const std::string& password) {
        mosquitto_lib_init();
        m_mosq = mosquitto_new(nullptr, true, nullptr);
        if (!user.empty()) mosquitto_username_pw_set(m_mosq, user.c_str(), password.c_str());
        mosquitto_connect_callback_set(m_mosq, [](mosquitto*, void*, int) {});
        m_host = host;
        m_port = port;
        mosquitto_loop_start(m_mosq);
        mosquitto_connect_async(m_mosq, host.c_str(), port, 30);
    }
    ~Publisher() {
        mosquitto_disconnect(m_mosq);
        mosquitto_loop_stop(m_mosq, true);
        mosquitto_destroy(m_mosq);
    }
    // Publishes with QoS 1, retrying while the link is (re)established.
    bool publish(const std::string& topic, const std::string& payload, int timeoutMs = 5000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            if (mosquitto_publish(m_mosq, nullptr, topic.c_str(), static_cast<int>(payload.size()), payload.data(), 1,
                                  false) == MOSQ_ERR_SUCCESS)
                return true;
            if (std::chrono::steady_clock::now() >= end) return false;
            mosquitto_reconnect_async(m_mosq);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }

private:
    mosquitto* m_mosq = nullptr;
    std::string m_host;
    int m_port = 0;
};

inline int freePort() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t len = sizeof addr;
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    close(fd);
    return ntohs(addr.sin_port);
}

inline bool portOpen(int port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    close(fd);
    return ok;
}

// A broker of the test's own on a free loopback port (anonymous).
class PrivateBroker {
public:
    PrivateBroker() : m_port(freePort()) {
        m_dir = std::filesystem::temp_directory_path() / ("quorvel_broker_" + std::to_string(getpid()));
        std::filesystem::create_directories(m_dir);
        std::ofstream(m_dir / "mosquitto.conf") << "listener " << m_port << " 127.0.0.1\n"
                                                << "allow_anonymous true\n";
    }
    ~PrivateBroker() {
        stop();
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }
    int port() const { return m_port; }

    bool start() {
        m_pid = fork();
        if (m_pid == 0) {
            const std::string conf = (m_dir / "mosquitto.conf").string();
            const std::string log = (m_dir / "broker.log").string();
            if (FILE* f = std::freopen(log.c_str(), "a", stdout)) dup2(fileno(f), STDERR_FILENO);
            execlp("mosquitto", "mosquitto", "-c", conf.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int i = 0; i < 100; ++i) {
            if (portOpen(m_port)) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }
    void stop() {
        if (m_pid <= 0) return;
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

private:
    int m_port;
    std::filesystem::path m_dir;
    pid_t m_pid = -1;
};

}  // namespace frametest
