#pragma once

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "tessaly/concurrent/LinkedList.h"
#include "tessaly/core/Date.h"
#include "tessaly/core/SpinLock.h"
#include "tessaly/core/Thread.h"
#include "tessaly/network/TcpServerLimits.h"
#include "tessaly/network/TcpSocketServer.h"

namespace tessaly::network {

class TcpSocketServerHandler;
class SocketSentObject;

// The server on an I/O completion port. One listener thread accepts, four
// I/O threads complete the posted receives and sends, one disconnect thread
// closes connections. Each connection has one receive and one send posted
// at most; further objects wait in its queue, in order.
//
// Per slot, the receive lock serialises the accept set-up, receive
// completions and the close; the send lock serialises sendTo, send
// completions and the send failure routine. Callbacks run under the lock of
// their side, so a handler may send from readyToRead.
class TcpWindowsSocketServer : public TcpSocketServer {
public:
    static constexpr unsigned _maxConnections = 4096;
    static constexpr unsigned _receiveSize = 4096;
    static constexpr int _ioThreads = 4;
    static constexpr unsigned _maxSequence = 0xFFFFF;
    static constexpr DWORD _waitTimeout = 2000;

    TcpWindowsSocketServer(unsigned maxConnections, TcpSocketServerHandler* handler, bool ownsHandler,
                           const TcpServerLimits& limits = TcpServerLimits());
    ~TcpWindowsSocketServer() override;

    bool start(const char* address, unsigned short port, char* errorBuffer, unsigned errorSize) override;
    void stop() override;
    bool sendTo(unsigned idCode, SocketSentObject* object) override;
    void closeClient(unsigned idCode) override;
    unsigned clientsCount() const override { return clients_.load(); }
    unsigned maxConnectionCount() const override { return max_; }
    core::String stats() override;

private:
    struct IoRecord {
        OVERLAPPED overlapped;
        bool isSend;
    };

    struct ClientResource {
        char receiveBuffer[_receiveSize];
        const char* window = nullptr;
        std::size_t windowLength = 0;
        unsigned index = 0;
        SOCKET socket = INVALID_SOCKET;
        std::atomic<bool> closing{false};
        unsigned peerAddress = 0;
        unsigned short peerPort = 0;
        std::atomic<unsigned> idCode{0};
        IoRecord receive{{}, false};
        IoRecord send{{}, true};
        core::SpinLock receiveLock;
        core::SpinLock sendLock;
        SocketSentObject* current = nullptr;
        std::deque<SocketSentObject*> queue;
        // Bytes of the objects waiting in the queue. The object being sent
        // is the system's already: its whole window is posted.
        std::size_t queuedBytes = 0;
        // Monotonic ms of the last send progress while a send is posted.
        std::atomic<std::int64_t> sendSince{0};
    };

    bool listenOn(const char* address, unsigned short port);
    void listenLoop();
    void ioLoop();
    void disconnectLoop();
    void accepted(SOCKET socket, const sockaddr_in& peer);

    bool postReceive(ClientResource& slot, unsigned idCode);
    bool postSend(ClientResource& slot, unsigned idCode);
    void receiveCompleted(ClientResource& slot, unsigned idCode, DWORD bytes);
    void sendCompleted(ClientResource& slot, unsigned idCode, DWORD bytes);
    // With the send lock held: every unsent object goes back as failed.
    void failSends(ClientResource& slot, unsigned idCode);
    void handBack(unsigned idCode, SocketSentObject* object, bool failed);
    void startNextSend(ClientResource& slot, unsigned idCode);
    void checkWriteTimeouts();
    ClientResource* slotOf(unsigned idCode);

    std::vector<std::unique_ptr<ClientResource>> slots_;
    std::unique_ptr<concurrent::LinkedList<ClientResource*>> freeList_;
    std::unique_ptr<concurrent::LinkedList<unsigned>> disconnectList_;
    TcpSocketServerHandler* handler_;
    bool ownsHandler_;
    std::size_t maxQueuedBytes_;
    int writeTimeout_;
    std::atomic<bool> stopped_{true};
    // Application calls inside the server; stop() waits for them to leave.
    std::atomic<int> callers_{0};
    SOCKET listenSocket_ = INVALID_SOCKET;
    HANDLE port_ = nullptr;
    std::unique_ptr<core::Thread> listener_;
    std::unique_ptr<core::Thread> disconnector_;
    std::vector<std::unique_ptr<core::Thread>> io_;
    unsigned max_;
    unsigned sequence_ = 0;
    std::atomic<unsigned> clients_{0};
    std::atomic<unsigned> peak_{0};
    std::atomic<unsigned> refused_{0};
    std::atomic<unsigned> total_{0};
    std::atomic<std::int64_t> lastTimeoutCheck_{0};
    core::Date startTime_;
    core::String lastError_;
};

} // namespace tessaly::network
