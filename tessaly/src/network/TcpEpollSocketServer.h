#pragma once

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "tessaly/concurrent/LinkedList.h"
#include "tessaly/core/Date.h"
#include "tessaly/core/SpinLock.h"
#include "tessaly/core/Thread.h"
#include "tessaly/network/TcpSocketServer.h"

namespace tessaly::network {

class TcpSocketServerHandler;

// The server on edge-triggered epoll. One listener thread accepts, four
// I/O threads receive and send, one disconnect thread closes. A send that
// the application asks for is handed to an I/O thread (the calling one,
// once its callback has returned, or another through a wake-up queue), so
// handler callbacks always run on the server's threads and never inside
// the application's own sendTo call. sendCompleted/sendFailed for a send
// asked for from readyToRead may run while that connection's receive lock
// is still held (receive lock before send lock, the one order used).
class TcpEpollSocketServer : public TcpSocketServer {
public:
    static constexpr unsigned _maxConnections = 4096;
    static constexpr unsigned _receiveSize = 4096;
    static constexpr int _ioThreads = 4;
    static constexpr unsigned _maxSequence = 0xFFFFF;

    TcpEpollSocketServer(unsigned maxConnections, TcpSocketServerHandler* handler, bool ownsHandler);
    ~TcpEpollSocketServer() override;

    bool start(const char* address, unsigned short port, char* errorBuffer, unsigned errorSize) override;
    void stop() override;
    bool sendTo(unsigned idCode, SocketSentObject* object) override;
    void closeClient(unsigned idCode) override;
    unsigned clientsCount() const override { return clients_.load(); }
    unsigned maxConnectionCount() const override { return max_; }
    core::String stats() override;

private:
    struct ClientResource {
        char receiveBuffer[_receiveSize];
        unsigned receiveLength = 0;
        const char* sendData = nullptr;
        int sendLength = 0;
        unsigned index = 0;
        int socket = -1;
        bool closing = false;
        unsigned peerAddress = 0;
        unsigned short peerPort = 0;
        std::atomic<unsigned> idCode{0};
        core::SpinLock receiveLock;
        core::SpinLock sendLock;
        SocketSentObject* current = nullptr;
        std::deque<SocketSentObject*> queue;
    };

    bool listenOn(const char* address, unsigned short port);
    void listenLoop();
    void ioLoop();
    void disconnectLoop();
    void accepted(int socket, unsigned address, unsigned short port);
    void receive(ClientResource& slot, unsigned idCode);
    void failedIo(ClientResource& slot, unsigned idCode);
    // Send lock held: sends what the window holds and moves through the queue.
    void pumpSend(ClientResource& slot, unsigned idCode);
    void sendFailure(ClientResource& slot, unsigned idCode);
    void handBack(ClientResource& slot, unsigned idCode, SocketSentObject* object, bool failed);
    void scheduleSend(unsigned idCode);
    void runScheduledSends();
    // On an I/O thread: starts the sends its callbacks asked for.
    void runPendingSends();
    void retire(unsigned idCode);
    ClientResource* slotOf(unsigned idCode);
    void wakeIoThreads();

    std::vector<std::unique_ptr<ClientResource>> slots_;
    std::unique_ptr<concurrent::LinkedList<ClientResource*>> freeList_;
    std::unique_ptr<concurrent::LinkedList<unsigned>> disconnectList_;
    TcpSocketServerHandler* handler_;
    bool ownsHandler_;
    std::atomic<bool> stopped_{true};
    int listenSocket_ = -1;
    int epoll_ = -1;
    int wakeFd_ = -1;
    std::unique_ptr<core::Thread> listener_;
    std::unique_ptr<core::Thread> disconnector_;
    std::vector<std::unique_ptr<core::Thread>> io_;
    unsigned max_;
    unsigned sequence_ = 0;
    std::atomic<unsigned> clients_{0};
    std::atomic<unsigned> peak_{0};
    std::atomic<unsigned> refused_{0};
    std::atomic<unsigned> total_{0};
    core::Date startTime_;
    core::String lastError_;
    // Sends asked for from outside the I/O threads.
    std::mutex scheduledLock_;
    std::vector<unsigned> scheduled_;
};

} // namespace tessaly::network
