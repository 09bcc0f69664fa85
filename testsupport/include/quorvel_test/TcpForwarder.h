#pragma once
// A loopback TCP relay for fault injection in front of a real server
// (MariaDB, mosquitto). Besides plain relaying it can make the server
// appear late (start() after a failed connect), vanish under open
// connections (dropConnections(), as a restart does), accept fewer
// connections than asked for, and switch its behaviour while connections
// are open:
//   Pass       relay both ways;
//   Delay      hold every chunk for the delay before passing it on;
//   BlackHole  accept, but pass nothing either way (a pulled cable, a
//              firewall dropping packets): bytes stay queued in the kernel
//              and flow again once the mode returns to Pass;
//   Reset      reset every open connection and each new one at once;
//   CutAfter   pass N more bytes on each connection, then reset it.
// Apart from the modes, cutAfterServerBytes() arms one cut in the middle of
// a server's answer (a result that breaks off part-way).
#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class TcpForwarder {
public:
    enum class Mode { Pass, Delay, BlackHole, Reset, CutAfter };

    TcpForwarder(std::string targetHost, int targetPort);
    ~TcpForwarder();
    TcpForwarder(const TcpForwarder&) = delete;
    TcpForwarder& operator=(const TcpForwarder&) = delete;

    int port() const { return port_; }  // chosen at construction, free until start()
    void start();                       // listen and relay
    void stop();                        // stop listening, drop every connection
    void dropConnections();             // close the relayed connections
    // Connections accepted beyond the limit are closed at once (-1: none).
    void setConnectionLimit(int limit) { limit_ = limit; }

    // Takes effect on open connections within a few milliseconds.
    void pass() { setMode(Mode::Pass); }
    void delay(std::chrono::milliseconds d) { delayMs_ = static_cast<int>(d.count()); setMode(Mode::Delay); }
    void blackHole() { setMode(Mode::BlackHole); }
    void reset() { setMode(Mode::Reset); }
    void cutAfter(long long bytes) { cutBytes_ = bytes; setMode(Mode::CutAfter); }
    Mode mode() const { return mode_; }
    // Once the server has sent this many more bytes (counted over every
    // relayed connection from now on), the connection carrying the last of
    // them is closed on both sides after passing exactly that many. One cut.
    void cutAfterServerBytes(long long bytes) { serverCutBudget_ = bytes; }
    bool hasCut() const { return serverCutDone_; }

    // Connections currently relayed (accepted and not yet closed).
    int openConnections() const;

private:
    void setMode(Mode m);
    void acceptLoop();
    void relay(int client);

    std::string targetHost_;
    int targetPort_;
    int port_ = 0;
    int listenFd_ = -1;
    std::atomic<bool> running_{false};
    std::atomic<int> limit_{-1};
    std::atomic<int> accepted_{0};
    std::atomic<Mode> mode_{Mode::Pass};
    std::atomic<unsigned> modeGeneration_{0};  // bumped on every switch
    std::atomic<int> delayMs_{0};
    std::atomic<long long> cutBytes_{0};
    std::atomic<long long> serverCutBudget_{-1};  // -1: no cut armed
    std::atomic<bool> serverCutDone_{false};
    std::thread acceptThread_;
    mutable std::mutex mutex_;
    std::vector<int> openFds_;
    int openCount_ = 0;
    std::vector<std::thread> relays_;
};
