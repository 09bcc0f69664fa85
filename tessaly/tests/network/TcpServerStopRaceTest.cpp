// Application threads keep sending and closing while the server stops: no
// object is lost or given back twice, and nothing is touched after stop().
// Also built with ThreadSanitizer (tessaly_socket_server_tsan_test).
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "LoopbackHelpers.h"
#include "tessaly/network/SocketSentObject.h"
#include "tessaly/network/SocketServerManager.h"
#include "tessaly/network/TcpSocketServer.h"
#include "tessaly/network/TcpSocketServerHandler.h"

using namespace tessaly::network;
using namespace tessaly::network::test;

namespace {

std::atomic<long> made{0};
std::atomic<long> gone{0};

class Counted : public SocketSentObject {
public:
    explicit Counted(bool needSignal, std::size_t size = 1024) : SocketSentObject(needSignal), data_(size, 'x')
    {
        made.fetch_add(1);
    }
    ~Counted() override { gone.fetch_add(1); }
    void release() override { delete this; }
    char* getData() override { return data_.data(); }
    int getSize() override { return static_cast<int>(data_.size()); }

private:
    std::string data_;
};

struct CountingHandler : TcpSocketServerHandler {
    void release() override {}
    void connected(unsigned id, unsigned, unsigned short) override
    {
        std::lock_guard<std::mutex> g(lock);
        ids.push_back(id);
    }
    void readyToRead(unsigned id, const char*, unsigned n) override
    {
        auto* echo = new Counted(false, n);
        if (!server_->sendTo(id, echo))
            delete echo;
    }
    void sendCompleted(unsigned, SocketSentObject* o) override { delete o; }
    void sendFailed(unsigned, SocketSentObject* o) override { delete o; }
    std::vector<unsigned> snapshot()
    {
        std::lock_guard<std::mutex> g(lock);
        return ids;
    }

    std::mutex lock;
    std::vector<unsigned> ids;
};

} // namespace

TEST(ServerStopRaceTest, SendToAndCloseClientDuringAndAfterStop)
{
    constexpr int kClients = 6;
    constexpr int kSenders = 3;
    for (int round = 0; round < 3; ++round) {
        CountingHandler handler;
        TcpSocketServer* server = SocketServerManager::get()->getTcpSocketServer(16, &handler, false);
        int port = 0;
        char error[128] = "";
        bool started = false;
        for (int attempt = 0; attempt < 5 && !started; ++attempt) {
            port = freePort();
            started = server->start("127.0.0.1", static_cast<unsigned short>(port), error, sizeof error);
        }
        ASSERT_TRUE(started) << error;

        // Clients read everything until the server ends them, and talk a
        // little so that echoes are sent from the server's own threads.
        std::vector<int> fds;
        std::vector<std::thread> readers;
        for (int i = 0; i < kClients; ++i) {
            const int fd = connectTo(port);
            ASSERT_GE(fd, 0);
            fds.push_back(fd);
        }
        for (int fd : fds) {
            readers.emplace_back([fd] {
                char buf[65536];
                for (int i = 0; i < 20; ++i)
                    ::send(fd, "ping", 4, MSG_NOSIGNAL);
                while (::recv(fd, buf, sizeof buf, 0) > 0) {
                }
            });
        }
        for (int i = 0; i < 4000 && handler.snapshot().size() < kClients; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const std::vector<unsigned> ids = handler.snapshot();
        ASSERT_EQ(ids.size(), static_cast<std::size_t>(kClients));

        std::atomic<bool> go{true};
        std::atomic<bool> stopReturned{false};
        std::atomic<int> takenAfterStop{0};
        std::atomic<long> calls{0};
        std::vector<std::thread> senders;
        for (int s = 0; s < kSenders; ++s) {
            senders.emplace_back([&, s] {
                for (long n = 0; go.load(); ++n) {
                    const unsigned id = ids[static_cast<std::size_t>((n + s) % kClients)];
                    const bool wasStopped = stopReturned.load();
                    auto* o = new Counted(n % 2 == 0);
                    if (server->sendTo(id, o)) {
                        if (wasStopped)
                            takenAfterStop.fetch_add(1);
                    } else {
                        delete o;
                    }
                    // The last client is closed over and over by everyone.
                    if (n % 64 == 0)
                        server->closeClient(ids.back());
                    calls.fetch_add(1);
                }
            });
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        const long before = calls.load();
        server->stop();
        stopReturned.store(true);
        const long during = calls.load();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        go.store(false);
        for (auto& t : senders)
            t.join();
        for (auto& t : readers)
            t.join();
        for (int fd : fds)
            ::close(fd);

        EXPECT_GT(before, 0);
        EXPECT_GT(calls.load(), during); // calls went on after stop() returned
        EXPECT_EQ(takenAfterStop.load(), 0);
        EXPECT_EQ(made.load(), gone.load()) << "every object comes back exactly once";
        EXPECT_EQ(server->clientsCount(), 0u);
        SocketServerManager::get()->releaseTcpSocketServer(server);
    }
}
