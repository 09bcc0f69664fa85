#include "network/TcpEpollSocketServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>

#include "tessaly/concurrent/CancellationException.h"
#include "tessaly/core/Runnable.h"
#include "tessaly/core/ScopedLock.h"
#include "tessaly/network/SocketSentObject.h"
#include "tessaly/network/TcpSocketServerHandler.h"

namespace tessaly::network {

using core::ScopedLock;
using core::SpinLock;
using core::String;

namespace {

constexpr uint64_t kWakeKey = ~uint64_t(0);
constexpr int kWaitTimeout = 2000;
constexpr int kAcceptPoll = 200;
// A generous accept queue: many clients connect at once.
constexpr int kBacklog = 128;

class FunctionRunnable : public core::Runnable {
public:
    explicit FunctionRunnable(std::function<void()> f) : f_(std::move(f)) {}
    void run() override { f_(); }

private:
    std::function<void()> f_;
};

// Sends an I/O thread wants to start once its current callbacks are done.
// Non-null only on that server's I/O threads.
thread_local std::vector<unsigned>* tlsPendingSends = nullptr;
thread_local const void* tlsServer = nullptr;

void closeSocket(int fd)
{
    ::shutdown(fd, SHUT_RDWR);
    ::close(fd);
}

} // namespace

TcpEpollSocketServer::TcpEpollSocketServer(unsigned maxConnections, TcpSocketServerHandler* handler, bool ownsHandler)
    : handler_(handler), ownsHandler_(ownsHandler), max_(maxConnections < _maxConnections ? maxConnections : _maxConnections)
{
}

TcpEpollSocketServer::~TcpEpollSocketServer()
{
    stop();
    if (ownsHandler_ && handler_)
        handler_->release();
}

bool TcpEpollSocketServer::listenOn(const char* address, unsigned short port)
{
    listenSocket_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listenSocket_ < 0) {
        lastError_ = String();
        return false;
    }
    auto fail = [this](const char* text) {
        ::close(listenSocket_);
        listenSocket_ = -1;
        lastError_ = String(text);
        return false;
    };
    const int on = 1;
    if (::setsockopt(listenSocket_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0)
        return fail("Failed to set socket option for listening socket.");
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(port);
    if (!address || ::inet_pton(AF_INET, address, &sa.sin_addr) != 1 ||
        ::bind(listenSocket_, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0)
        return fail("Failed to bind the listen Socket.");
    if (::listen(listenSocket_, kBacklog) != 0)
        return fail("Failed to listen.");
    return true;
}

bool TcpEpollSocketServer::start(const char* address, unsigned short port, char* errorBuffer, unsigned errorSize)
{
    lastError_ = String();
    if (!stopped_.load())
        return true;
    auto report = [&] {
        if (errorBuffer && errorSize >= 1) {
            const unsigned n = lastError_.length() < errorSize - 1 ? lastError_.length() : errorSize - 1;
            if (n)
                std::memcpy(errorBuffer, lastError_.text(), n);
            errorBuffer[n] = '\0';
        }
        return false;
    };
    if (!listenOn(address, port))
        return report();
    epoll_ = ::epoll_create1(EPOLL_CLOEXEC);
    wakeFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.u64 = kWakeKey;
    if (epoll_ < 0 || wakeFd_ < 0 || ::epoll_ctl(epoll_, EPOLL_CTL_ADD, wakeFd_, &ev) != 0) {
        lastError_ = String("Failed to create the completion queue.");
        for (int* fd : {&listenSocket_, &epoll_, &wakeFd_}) {
            if (*fd >= 0)
                ::close(*fd);
            *fd = -1;
        }
        return report();
    }
    sequence_ = 0;
    clients_.store(0);
    freeList_ = std::make_unique<concurrent::LinkedList<ClientResource*>>();
    disconnectList_ = std::make_unique<concurrent::LinkedList<unsigned>>();
    slots_.clear();
    slots_.reserve(max_);
    for (unsigned i = 0; i < max_; ++i) {
        slots_.push_back(std::make_unique<ClientResource>());
        slots_.back()->index = i;
        freeList_->push(slots_.back().get());
    }
    scheduled_.clear();
    stopped_.store(false);
    peak_.store(0);
    refused_.store(0);
    total_.store(0);
    startTime_ = core::Date::now();
    listener_ = std::make_unique<core::Thread>(new FunctionRunnable([this] { listenLoop(); }), true);
    disconnector_ = std::make_unique<core::Thread>(new FunctionRunnable([this] { disconnectLoop(); }), true);
    for (int i = 0; i < _ioThreads; ++i)
        io_.push_back(std::make_unique<core::Thread>(new FunctionRunnable([this] { ioLoop(); }), true));
    return true;
}

void TcpEpollSocketServer::stop()
{
    if (stopped_.exchange(true))
        return;
    ::shutdown(listenSocket_, SHUT_RDWR);
    listener_.reset(); // joins
    ::close(listenSocket_);
    listenSocket_ = -1;
    wakeIoThreads();
    io_.clear();
    disconnectList_->cancel();
    disconnector_.reset();
    for (auto& slot : slots_) {
        if (slot->socket >= 0)
            closeSocket(slot->socket);
        slot->socket = -1;
        if (slot->idCode.load() != 0) {
            if (slot->current)
                slot->current->release();
            for (SocketSentObject* o : slot->queue)
                o->release();
        }
        slot->current = nullptr;
        slot->queue.clear();
        slot->idCode.store(0);
    }
    ::close(epoll_);
    ::close(wakeFd_);
    epoll_ = wakeFd_ = -1;
    ClientResource* unused;
    while (freeList_->tryPop(unused)) {
    }
    slots_.clear();
    clients_.store(0);
}

void TcpEpollSocketServer::wakeIoThreads()
{
    const uint64_t one = 1;
    (void)!::write(wakeFd_, &one, sizeof one);
}

TcpEpollSocketServer::ClientResource* TcpEpollSocketServer::slotOf(unsigned idCode)
{
    const unsigned index = idCode >> 20;
    return idCode != 0 && index < slots_.size() ? slots_[index].get() : nullptr;
}

void TcpEpollSocketServer::retire(unsigned idCode)
{
    disconnectList_->push(idCode);
}

void TcpEpollSocketServer::closeClient(unsigned idCode)
{
    if (!stopped_.load() && idCode != 0)
        retire(idCode);
}

void TcpEpollSocketServer::listenLoop()
{
    while (!stopped_.load()) {
        pollfd p{listenSocket_, POLLIN, 0};
        const int r = ::poll(&p, 1, kAcceptPoll);
        if (r <= 0 || stopped_.load())
            continue;
        sockaddr_in peer{};
        socklen_t len = sizeof peer;
        const int fd = ::accept4(listenSocket_, reinterpret_cast<sockaddr*>(&peer), &len, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINVAL || errno == EBADF)
                return; // the listen socket was shut down
            continue;
        }
        accepted(fd, peer.sin_addr.s_addr, ntohs(peer.sin_port));
    }
}

void TcpEpollSocketServer::accepted(int fd, unsigned address, unsigned short port)
{
    ClientResource* slot = nullptr;
    if (!freeList_->tryPop(slot)) {
        closeSocket(fd);
        refused_.fetch_add(1);
        return;
    }
    sequence_ = sequence_ >= _maxSequence ? 1 : sequence_ + 1;
    const unsigned idCode = (slot->index << 20) | sequence_;
    const unsigned now = clients_.fetch_add(1) + 1;
    total_.fetch_add(1);
    if (now > peak_.load())
        peak_.store(now);
    ScopedLock<SpinLock> guard(slot->receiveLock);
    {
        ScopedLock<SpinLock> send(slot->sendLock);
        slot->socket = fd;
        slot->closing = false;
        slot->peerAddress = address;
        slot->peerPort = port;
        slot->idCode.store(idCode);
    }
    handler_->connected(idCode, address, port);
    // Edge-triggered: reported once per change, so every reader drains.
    epoll_event ev{};
    ev.events = EPOLLIN | EPOLLOUT | EPOLLRDHUP | EPOLLET;
    ev.data.u64 = idCode;
    if (::epoll_ctl(epoll_, EPOLL_CTL_ADD, fd, &ev) != 0)
        retire(idCode);
}

void TcpEpollSocketServer::ioLoop()
{
    std::vector<unsigned> pending;
    tlsPendingSends = &pending;
    tlsServer = this;
    epoll_event events[64];
    while (!stopped_.load()) {
        const int n = ::epoll_wait(epoll_, events, 64, kWaitTimeout);
        for (int i = 0; i < n && !stopped_.load(); ++i) {
            const uint64_t key = events[i].data.u64;
            if (key == kWakeKey) {
                // Left readable at stop, so that every I/O thread wakes.
                if (stopped_.load())
                    break;
                uint64_t drained;
                (void)!::read(wakeFd_, &drained, sizeof drained);
                runScheduledSends();
            } else if (ClientResource* slot = slotOf(static_cast<unsigned>(key))) {
                const auto idCode = static_cast<unsigned>(key);
                const uint32_t e = events[i].events;
                if (e & (EPOLLIN | EPOLLRDHUP | EPOLLHUP | EPOLLERR))
                    receive(*slot, idCode);
                if (e & (EPOLLERR | EPOLLHUP)) {
                    failedIo(*slot, idCode);
                } else if (e & EPOLLOUT) {
                    ScopedLock<SpinLock> guard(slot->sendLock);
                    if (slot->idCode.load() == idCode)
                        pumpSend(*slot, idCode);
                }
            }
            // Sends asked for by the callbacks above.
            runPendingSends();
        }
    }
    tlsPendingSends = nullptr;
    tlsServer = nullptr;
}

void TcpEpollSocketServer::receive(ClientResource& slot, unsigned idCode)
{
    ScopedLock<SpinLock> guard(slot.receiveLock);
    if (slot.idCode.load() != idCode || slot.closing)
        return;
    for (;;) {
        const ssize_t r = ::recv(slot.socket, slot.receiveBuffer, _receiveSize, 0);
        if (r > 0) {
            slot.receiveLength = static_cast<unsigned>(r);
            handler_->readyToRead(idCode, slot.receiveBuffer, slot.receiveLength);
            // Start what the callback sent now, not after the socket runs dry:
            // a client that streams would otherwise get nothing back meanwhile.
            runPendingSends();
            continue;
        }
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        // The peer closed (0 bytes) or the connection failed.
        retire(idCode);
        return;
    }
}

void TcpEpollSocketServer::failedIo(ClientResource& slot, unsigned idCode)
{
    {
        ScopedLock<SpinLock> guard(slot.sendLock);
        if (slot.idCode.load() == idCode && slot.current)
            sendFailure(slot, idCode);
    }
    retire(idCode);
}

void TcpEpollSocketServer::handBack(ClientResource&, unsigned idCode, SocketSentObject* object, bool failed)
{
    if (!object->needSignal()) {
        object->release();
        return;
    }
    if (failed) {
        object->setFailed();
        handler_->sendFailed(idCode, object);
    } else {
        handler_->sendCompleted(idCode, object);
    }
}

void TcpEpollSocketServer::sendFailure(ClientResource& slot, unsigned idCode)
{
    SocketSentObject* current = slot.current;
    slot.current = nullptr;
    slot.sendData = nullptr;
    slot.sendLength = 0;
    std::deque<SocketSentObject*> queued;
    queued.swap(slot.queue);
    if (current)
        handBack(slot, idCode, current, true);
    for (SocketSentObject* o : queued)
        handBack(slot, idCode, o, true);
}

void TcpEpollSocketServer::pumpSend(ClientResource& slot, unsigned idCode)
{
    while (slot.current) {
        while (slot.sendLength > 0) {
            const ssize_t r = ::send(slot.socket, slot.sendData, static_cast<std::size_t>(slot.sendLength), MSG_NOSIGNAL);
            if (r > 0) {
                slot.sendData += r;
                slot.sendLength -= static_cast<int>(r);
                continue;
            }
            if (r < 0 && errno == EINTR)
                continue;
            if (r < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                return; // the next EPOLLOUT edge resumes here
            sendFailure(slot, idCode);
            retire(idCode);
            return;
        }
        SocketSentObject* done = slot.current;
        slot.current = nullptr;
        handBack(slot, idCode, done, false);
        if (slot.closing) {
            // The close was waiting for this send; what is queued will not go.
            sendFailure(slot, idCode);
            retire(idCode);
            return;
        }
        if (slot.queue.empty())
            return;
        slot.current = slot.queue.front();
        slot.queue.pop_front();
        slot.sendData = slot.current->data();
        slot.sendLength = slot.current->size();
    }
}

bool TcpEpollSocketServer::sendTo(unsigned idCode, SocketSentObject* object)
{
    if (stopped_.load() || !object)
        return false;
    ClientResource* slot = slotOf(idCode);
    if (!slot)
        return false;
    {
        ScopedLock<SpinLock> guard(slot->sendLock);
        if (slot->idCode.load() != idCode || slot->closing)
            return false;
        if (slot->current) {
            slot->queue.push_back(object);
            return true;
        }
        slot->current = object;
        slot->sendData = object->data();
        slot->sendLength = object->size();
    }
    scheduleSend(idCode);
    return true;
}

void TcpEpollSocketServer::scheduleSend(unsigned idCode)
{
    if (tlsServer == this && tlsPendingSends) {
        tlsPendingSends->push_back(idCode);
        return;
    }
    {
        std::lock_guard<std::mutex> guard(scheduledLock_);
        scheduled_.push_back(idCode);
    }
    wakeIoThreads();
}

void TcpEpollSocketServer::runPendingSends()
{
    std::vector<unsigned>* pending = tlsPendingSends;
    while (pending && !pending->empty()) {
        std::vector<unsigned> now;
        now.swap(*pending);
        for (unsigned id : now) {
            ClientResource* s = slotOf(id);
            if (!s)
                continue;
            ScopedLock<SpinLock> guard(s->sendLock);
            if (s->idCode.load() == id)
                pumpSend(*s, id);
        }
    }
}

void TcpEpollSocketServer::runScheduledSends()
{
    std::vector<unsigned> now;
    {
        std::lock_guard<std::mutex> guard(scheduledLock_);
        now.swap(scheduled_);
    }
    for (unsigned id : now)
        tlsPendingSends->push_back(id);
}

void TcpEpollSocketServer::disconnectLoop()
{
    while (!stopped_.load()) {
        unsigned idCode = 0;
        try {
            idCode = disconnectList_->pop();
        } catch (const concurrent::CancellationException&) {
            continue;
        }
        ClientResource* slot = slotOf(idCode);
        if (!slot || slot->idCode.load() != idCode)
            continue;
        ScopedLock<SpinLock> guard(slot->receiveLock);
        int fd;
        {
            ScopedLock<SpinLock> send(slot->sendLock);
            if (slot->idCode.load() != idCode)
                continue;
            if (slot->current) {
                // The send path hands the id code back here when it ends.
                slot->closing = true;
                continue;
            }
            fd = slot->socket;
            slot->socket = -1;
            slot->closing = false;
            slot->idCode.store(0);
        }
        ::epoll_ctl(epoll_, EPOLL_CTL_DEL, fd, nullptr);
        closeSocket(fd);
        handler_->closed(idCode);
        clients_.fetch_sub(1);
        freeList_->push(slot);
    }
}

String TcpEpollSocketServer::stats()
{
    String s("Begin to stats\n");
    s += "The start time of this server is ";
    s += startTime_.format("%Y-%m-%d %H:%M:%S");
    s += ".\nThe peak connection count is ";
    s += String(static_cast<core::int64>(peak_.load()));
    s += ".\nThe refuse connection count is ";
    s += String(static_cast<core::int64>(refused_.load()));
    s += ".\nThe total count is ";
    s += String(static_cast<core::int64>(total_.load()));
    s += ".\nThe resource count in FreeList is ";
    s += String(freeList_ ? freeList_->size() : 0);
    s += ".\nThe current client count is ";
    s += String(static_cast<core::int64>(clients_.load()));
    s += ".\n";
    s += "The following idCode is used.\n";
    for (const auto& slot : slots_) {
        const unsigned id = slot->idCode.load();
        if (id == 0)
            continue;
        s += "idCode = ";
        s += String(static_cast<core::int64>(id));
        s += ", index = ";
        s += String(static_cast<int>(slot->index));
        s += ".\n";
    }
    return s;
}

} // namespace tessaly::network
