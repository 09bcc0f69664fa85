#pragma once
// A loopback TCP relay in front of the real MariaDB server. It lets a test
// make the server appear late (start() after a failed connect), vanish
// under open connections (dropConnections(), as a restart does), accept
// fewer connections than asked for, or cut a connection in the middle of
// a result (cutAfterServerBytes()).
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class TcpForwarder {
public:
    TcpForwarder(std::string targetHost, int targetPort);
    ~TcpForwarder();

    int port() const { return port_; }  // chosen at construction, free until start()
    void start();                       // listen and relay
    void stop();                        // stop listening, drop every connection
    void dropConnections();             // close the relayed connections
    // Connections accepted beyond the limit are closed at once (-1: none).
    void setConnectionLimit(int limit) { limit_ = limit; }
    // Once the server has sent this many more bytes (counted over every
    // relayed connection from now on), the connection carrying the last of
    // them is closed on both sides after passing exactly that many. One cut.
    void cutAfterServerBytes(long long bytes) { cutBudget_ = bytes; }
    bool hasCut() const { return cutDone_; }

private:
    void acceptLoop();
    void relay(int client);

    std::string targetHost_;
    int targetPort_;
    int port_ = 0;
    int listenFd_ = -1;
    std::atomic<bool> running_{false};
    std::atomic<int> limit_{-1};
    std::atomic<int> accepted_{0};
    std::atomic<long long> cutBudget_{-1};  // -1: no cut armed
    std::atomic<bool> cutDone_{false};
    std::thread acceptThread_;
    std::mutex mutex_;
    std::vector<int> openFds_;
    std::vector<std::thread> relays_;
};
