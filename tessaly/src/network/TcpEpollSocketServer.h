#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "tessaly/concurrent/LinkedList.h"
#include "tessaly/core/Date.h"
#include "tessaly/core/Thread.h"
#include "tessaly/network/TcpServerLimits.h"
#include "tessaly/network/TcpSocketServer.h"

namespace tessaly::network {

class TcpSocketServerHandler;
class SocketSentObject;

// The server on edge-triggered epoll. One listener thread accepts, four I/O
// threads receive and send, one disconnect thread closes on request.
//
// Each connection slot has one owner at a time: the thread that set the
// slot's running bit. Events for a slot that is owned elsewhere only leave a
// work bit behind, which the owner picks up before it lets go, so no thread
// ever waits on another's connection and handler callbacks run with no lock
// held. Callbacks of one connection never run at the same time. The
// application's own threads never run callbacks: a sendTo that finds the
// slot idle hands it to an I/O thread.
class TcpEpollSocketServer : public TcpSocketServer {
public:
    static constexpr unsigned _maxConnections = 4096;
    // Largest piece handed to readyToRead.
    static constexpr unsigned _receiveSize = 4096;
    // One read takes up to this much, per I/O thread buffer.
    static constexpr unsigned _readSize = 65536;
    static constexpr int _ioThreads = 4;
    // A connection's idCode is (slot index << _sequenceBits) | sequence: the
    // low 20 bits count accepted connections (1.._maxSequence, then round
    // again from 1, never 0), the bits above name the slot. The slot makes the
    // lookup direct; the sequence makes an id of a closed connection miss a
    // slot that has been taken by a newer one. 0 is never an id.
    static constexpr unsigned _sequenceBits = 20;
    static constexpr unsigned _maxSequence = (1u << _sequenceBits) - 1;
    static_assert(_maxConnections <= (1u << (32 - _sequenceBits)), "every slot index must fit above the sequence");

    TcpEpollSocketServer(unsigned maxConnections, TcpSocketServerHandler* handler, bool ownsHandler,
                         const TcpServerLimits& limits = TcpServerLimits());
    ~TcpEpollSocketServer() override;

    bool start(const char* address, unsigned short port, char* errorBuffer, unsigned errorSize) override;
    void stop() override;
    bool sendTo(unsigned idCode, SocketSentObject* object) override;
    void closeClient(unsigned idCode) override;
    unsigned clientsCount() const override { return clients_.load(); }
    unsigned maxConnectionCount() const override { return max_; }
    core::String stats() override;

private:
    // Bits of ClientResource::state.
    enum : unsigned { Running = 1, ReadWork = 2, WriteWork = 4, CloseWork = 8 };

    struct Outgoing {
        SocketSentObject* object;
        const char* data;
        std::size_t size;
    };

    struct ClientResource {
        std::atomic<unsigned> state{0};
        std::atomic<unsigned> idCode{0};
        // Set (under sendLock) once a close is decided; sendTo refuses then.
        std::atomic<bool> closing{false};
        unsigned index = 0;
        int socket = -1;
        unsigned peerAddress = 0;
        unsigned short peerPort = 0;
        // Owner only: objects being written, from sentHead on; sentOffset
        // bytes of the first are out already.
        std::vector<Outgoing> sending;
        std::size_t sentHead = 0;
        std::size_t sentOffset = 0;
        // Guards queue, blocked and the closing decision; never held across
        // a callback or a blocking call.
        std::mutex sendLock;
        std::vector<Outgoing> queue;
        // The socket refused bytes; its next writable edge resumes the send.
        bool blocked = false;
        // Bytes accepted and not yet written.
        std::atomic<std::size_t> unsent{0};
        // Monotonic ms of the last progress while bytes wait; 0 when none wait.
        std::atomic<std::int64_t> waitingSince{0};
    };

    bool listenOn(const char* address, unsigned short port);
    void listenLoop();
    bool acceptOne();
    void refuseWithSpare();
    void ioLoop();
    void disconnectLoop();
    void accepted(int socket, unsigned address, unsigned short port);

    // Sets work bits; true when the caller became the slot's owner.
    static bool post(ClientResource& slot, unsigned work);
    // The owner lets go; new work found meanwhile goes to an I/O thread.
    void releaseOrHandOver(ClientResource& slot);
    void handOver(ClientResource& slot);
    // On an I/O thread that owns the slot: does its work. False when a
    // busy reader used up its turn; the slot stays owned for a later turn.
    bool runSlot(ClientResource& slot, std::vector<char>& buffer);
    // False when the turn is used up with bytes still to read. toTheEnd:
    // the peer hung up, so read until the socket reports the end.
    bool readSome(ClientResource& slot, unsigned idCode, std::vector<char>& buffer, bool toTheEnd);
    void flushSends(ClientResource& slot, unsigned idCode);
    void closeNow(ClientResource& slot);
    void handBack(unsigned idCode, SocketSentObject* object, bool failed);
    // Marks the connection closing and gives it to the disconnect thread.
    void requestClose(unsigned idCode);
    void checkWriteTimeouts();
    ClientResource* slotOf(unsigned idCode);
    void wakeIoThreads();

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
    int listenSocket_ = -1;
    // Held open so that a connection can still be taken and closed when the
    // process runs out of descriptors.
    int spareFd_ = -1;
    int epoll_ = -1;
    int wakeFd_ = -1;
    int timerFd_ = -1;
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
    // Slots handed to the I/O threads by other threads.
    std::mutex handOverLock_;
    std::vector<ClientResource*> handedOver_;
};

} // namespace tessaly::network
