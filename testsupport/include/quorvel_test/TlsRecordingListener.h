#pragma once
// A TLS server of the test's own on a free loopback port that records every
// byte a client sends: the bytes on the wire (before and during TLS) and
// what it could read after a completed handshake. It answers nothing at the
// application level, so a client that sends its password anyway is caught.
//
//   TlsRecordingListener rogue(otherCaCert, otherCaKey);
//   ... point the client at 127.0.0.1:rogue.port() and let it try ...
//   EXPECT_EQ(rogue.handshakesCompleted(), 0);
//   EXPECT_FALSE(rogue.received().find(password) != npos);
//
// With Preamble::MysqlGreeting it first plays the start of a MariaDB
// server: it sends a protocol-10 greeting that offers TLS, reads the
// client's SSL request and then starts TLS, as the real server does.
// Preamble::MysqlGreetingWithoutTls offers no TLS and records what follows
// (a client that then logs in in clear is caught).
#include <atomic>
#include <mutex>
#include <string>
#include <thread>

namespace quorvel_test {

class TlsRecordingListener {
public:
    enum class Preamble { None, MysqlGreeting, MysqlGreetingWithoutTls };

    TlsRecordingListener(const std::string& certFile, const std::string& keyFile,
                         Preamble preamble = Preamble::None);
    ~TlsRecordingListener();
    TlsRecordingListener(const TlsRecordingListener&) = delete;
    TlsRecordingListener& operator=(const TlsRecordingListener&) = delete;

    int port() const { return port_; }
    int connections() const { return connections_; }
    int handshakesCompleted() const { return handshakes_; }
    // Everything received so far, wire bytes and decrypted bytes.
    std::string received() const;
    // Adds bytes to what was received (the listener's socket reads).
    void record(const char* data, std::size_t length);

private:
    void run();
    void serve(int fd);

    std::string certFile_;
    std::string keyFile_;
    Preamble preamble_;
    int listenFd_ = -1;
    int wakeFds_[2] = {-1, -1};
    int port_ = 0;
    std::atomic<int> connections_{0};
    std::atomic<int> handshakes_{0};
    mutable std::mutex mutex_;
    std::string received_;
    std::thread thread_;
};

}  // namespace quorvel_test
