#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tessaly/sync/CommHandler.h"
#include "tessaly/sync/CommSynchronizer.h"

// A data logger on the far end of a pseudo-terminal: it reads commands
// ending in CR LF and answers LOOP and DUMPA with one reply line each.
// Every `silentEvery`-th command (0: none) gets no answer at all.
class SimulatedLogger {
public:
    explicit SimulatedLogger(int fd) : fd_(fd) {}
    ~SimulatedLogger() { stop(); }

    void start();
    void stop();
    std::vector<std::string> commands();
    std::atomic<int> silentEvery{0};

private:
    void loop();

    int fd_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    std::mutex m_;
    std::vector<std::string> commands_;
};

// The application's transport: writes commands to the pty and marks the
// line idle when a full reply line has come back.
class PtyTransport : public tessaly::sync::CommHandler {
public:
    PtyTransport(tessaly::sync::CommSynchronizer* sync, int fd);
    ~PtyTransport() override;

    void sendData(unsigned char* data, int length) override;
    std::vector<std::string> replies();
    std::vector<std::string> sent();

private:
    void readLoop();

    tessaly::sync::CommSynchronizer* sync_;
    int fd_;
    std::atomic<bool> stop_{false};
    std::thread reader_;
    std::mutex m_;
    std::vector<std::string> replies_;
    std::vector<std::string> sent_;
};

// A raw pseudo-terminal pair; closed on destruction.
struct PtyPair {
    PtyPair();
    ~PtyPair();
    int master = -1;
    int slave = -1;
};
