#pragma once

// A recording handler and a started server for the server tests.
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <string>
#include <vector>

#include "LoopbackHelpers.h"
#include "tessaly/network/SocketSentObject.h"
#include "tessaly/network/SocketServerManager.h"
#include "tessaly/network/TcpSocketServer.h"
#include "tessaly/network/TcpSocketServerHandler.h"

namespace tessaly::network::test {

// Bytes owned by the object; counts its own releases.
class Bytes : public SocketSentObject {
public:
    Bytes(std::string data, bool needSignal, std::atomic<int>* released = nullptr)
        : SocketSentObject(needSignal), data_(std::move(data)), released_(released)
    {
    }
    void release() override
    {
        if (released_)
            released_->fetch_add(1);
        delete this;
    }
    char* getData() override { return data_.data(); }
    int getSize() override { return static_cast<int>(data_.size()); }
    std::string tag;

private:
    std::string data_;
    std::atomic<int>* released_;
};

struct Recorder : TcpSocketServerHandler {
    void release() override { released = true; }
    void connected(unsigned id, unsigned address, unsigned short port) override
    {
        w.update([&] {
            ids.push_back(id);
            addresses[id] = address;
            ports[id] = port;
        });
    }
    void readyToRead(unsigned id, const char* data, unsigned n) override
    {
        if (echo)
            server_->sendTo(id, new Bytes(std::string(data, n), false, &echoReleased));
        w.update([&] { received[id].append(data, n); });
    }
    void sendCompleted(unsigned id, SocketSentObject* o) override
    {
        w.update([&] { completed.push_back({id, static_cast<Bytes*>(o)->tag, o->isFailed()}); });
        delete o;
    }
    void sendFailed(unsigned id, SocketSentObject* o) override
    {
        w.update([&] { failed.push_back({id, static_cast<Bytes*>(o)->tag, o->isFailed()}); });
        delete o;
    }
    void closed(unsigned id) override { w.update([&] { closedIds.push_back(id); }); }

    struct Event {
        unsigned id;
        std::string tag;
        bool failedFlag;
    };
    TcpSocketServer* server() const { return server_; }

    bool echo = false;
    bool released = false;
    Waiter w;
    std::vector<unsigned> ids;
    std::map<unsigned, unsigned> addresses;
    std::map<unsigned, unsigned short> ports;
    std::map<unsigned, std::string> received;
    std::vector<Event> completed;
    std::vector<Event> failed;
    std::vector<unsigned> closedIds;
    std::atomic<int> echoReleased{0};
};

class ServerTest : public ::testing::Test {
protected:
    void startServer(unsigned max)
    {
        server = SocketServerManager::get()->getTcpSocketServer(max, &handler, false);
        ASSERT_NE(server, nullptr);
        char error[128] = "";
        for (int attempt = 0; attempt < 5; ++attempt) {
            port = freePort();
            if (server->start("127.0.0.1", static_cast<unsigned short>(port), error, sizeof error))
                return;
        }
        FAIL() << "could not start: " << error;
    }
    void TearDown() override
    {
        for (int fd : clients)
            ::close(fd);
        if (server)
            SocketServerManager::get()->releaseTcpSocketServer(server);
    }
    int connectClient()
    {
        const int fd = connectTo(port);
        if (fd >= 0)
            clients.push_back(fd);
        return fd;
    }
    // Connects and waits until the handler has seen n connections in all.
    int connectAndWait(std::size_t n)
    {
        const int fd = connectClient();
        EXPECT_TRUE(handler.w.waitUntil([&] { return handler.ids.size() >= n; }));
        return fd;
    }
    // The count drops just after closed() returns, so poll for it.
    bool waitForClients(unsigned n)
    {
        for (int i = 0; i < 4000 && server->clientsCount() != n; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return server->clientsCount() == n;
    }
    unsigned idAt(std::size_t i)
    {
        return handler.w.read([&] { return handler.ids.at(i); });
    }

    Recorder handler;
    TcpSocketServer* server = nullptr;
    int port = 0;
    std::vector<int> clients;
};

} // namespace tessaly::network::test
