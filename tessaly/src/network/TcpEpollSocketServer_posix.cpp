#include "network/TcpEpollSocketServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/timerfd.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <functional>
#include <thread>

#include "core/internal/Clock.h"
#include "tessaly/concurrent/CancellationException.h"
#include "tessaly/core/Runnable.h"
#include "tessaly/network/SocketSentObject.h"
#include "tessaly/network/TcpSocketServerHandler.h"

namespace tessaly::network {

using core::String;

namespace {

constexpr uint64_t kWakeKey = ~uint64_t(0);
constexpr uint64_t kTimerKey = ~uint64_t(0) - 1;
constexpr int kWaitTimeout = 2000;
constexpr int kAcceptPoll = 200;
// Pause of the listener when the system has no descriptor or memory for
// another connection: it must not spin on a listen socket that stays readable.
constexpr int kAcceptBackOff = 100;
// A generous accept queue: many clients connect at once.
constexpr int kBacklog = 128;
// Reads one connection may do before the other ready ones get their turn.
constexpr int kReadsPerTurn = 4;
// Objects written with one system call.
constexpr int kWriteBatch = 64;
// Set when the peer hung up or failed: read until the socket says so.
constexpr unsigned kHangUpWork = 16;

class FunctionRunnable : public core::Runnable {
public:
    explicit FunctionRunnable(std::function<void()> f) : f_(std::move(f)) {}
    void run() override { f_(); }

private:
    std::function<void()> f_;
};

// Counts an application call inside the server for stop() to wait on.
class CallGuard {
public:
    explicit CallGuard(std::atomic<int>& count) : count_(count) { count_.fetch_add(1); }
    ~CallGuard() { count_.fetch_sub(1); }
    CallGuard(const CallGuard&) = delete;
    CallGuard& operator=(const CallGuard&) = delete;

private:
    std::atomic<int>& count_;
};

void closeSocket(int fd)
{
    ::shutdown(fd, SHUT_RDWR);
    ::close(fd);
}

int openSpare()
{
    return ::open("/dev/null", O_RDONLY | O_CLOEXEC);
}

void pause(const std::atomic<bool>& stopped, int ms)
{
    for (int waited = 0; waited < ms && !stopped.load(); waited += 20)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

} // namespace

TcpEpollSocketServer::TcpEpollSocketServer(unsigned maxConnections, TcpSocketServerHandler* handler, bool ownsHandler,
                                           const TcpServerLimits& limits)
    : handler_(handler),
      ownsHandler_(ownsHandler),
      maxQueuedBytes_(limits.maxQueuedBytes ? limits.maxQueuedBytes : TcpServerLimits::_defaultMaxQueuedBytes),
      writeTimeout_(limits.writeTimeout > 0 ? limits.writeTimeout : TcpServerLimits::_defaultWriteTimeout),
      max_(maxConnections < _maxConnections ? maxConnections : _maxConnections)
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
    timerFd_ = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    spareFd_ = openSpare();
    // Write time-outs are looked for a few times per time-out.
    const int every = std::clamp(writeTimeout_ / 4, 20, 1000);
    itimerspec period{};
    period.it_interval.tv_sec = every / 1000;
    period.it_interval.tv_nsec = (every % 1000) * 1000000L;
    period.it_value = period.it_interval;
    epoll_event wake{};
    wake.events = EPOLLIN;
    wake.data.u64 = kWakeKey;
    // One-shot: one I/O thread looks, then arms it again.
    epoll_event timer{};
    timer.events = EPOLLIN | EPOLLONESHOT;
    timer.data.u64 = kTimerKey;
    if (epoll_ < 0 || wakeFd_ < 0 || timerFd_ < 0 || ::epoll_ctl(epoll_, EPOLL_CTL_ADD, wakeFd_, &wake) != 0 ||
        ::timerfd_settime(timerFd_, 0, &period, nullptr) != 0 ||
        ::epoll_ctl(epoll_, EPOLL_CTL_ADD, timerFd_, &timer) != 0) {
        lastError_ = String("Failed to create the completion queue.");
        for (int* fd : {&listenSocket_, &epoll_, &wakeFd_, &timerFd_, &spareFd_}) {
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
    handedOver_.clear();
    peak_.store(0);
    refused_.store(0);
    total_.store(0);
    startTime_ = core::Date::now();
    stopped_.store(false);
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
    // sendTo, closeClient and stats calls that began before the stop.
    while (callers_.load() > 0)
        std::this_thread::yield();
    for (auto& slot : slots_) {
        if (slot->socket >= 0)
            closeSocket(slot->socket);
        slot->socket = -1;
        if (slot->idCode.load() != 0) {
            for (std::size_t i = slot->sentHead; i < slot->sending.size(); ++i)
                slot->sending[i].object->release();
            for (const Outgoing& o : slot->queue)
                o.object->release();
        }
        slot->sending.clear();
        slot->queue.clear();
        slot->idCode.store(0);
    }
    for (int* fd : {&epoll_, &wakeFd_, &timerFd_, &spareFd_}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
    ClientResource* unused;
    while (freeList_->tryPop(unused)) {
    }
    slots_.clear();
    handedOver_.clear();
    clients_.store(0);
}

void TcpEpollSocketServer::wakeIoThreads()
{
    const uint64_t one = 1;
    (void)!::write(wakeFd_, &one, sizeof one);
}

TcpEpollSocketServer::ClientResource* TcpEpollSocketServer::slotOf(unsigned idCode)
{
    const unsigned index = idCode >> _sequenceBits;
    return idCode != 0 && index < slots_.size() ? slots_[index].get() : nullptr;
}

bool TcpEpollSocketServer::post(ClientResource& slot, unsigned work)
{
    return (slot.state.fetch_or(work | Running, std::memory_order_acq_rel) & Running) == 0;
}

void TcpEpollSocketServer::releaseOrHandOver(ClientResource& slot)
{
    unsigned expected = Running;
    if (!slot.state.compare_exchange_strong(expected, 0, std::memory_order_acq_rel))
        handOver(slot);
}

void TcpEpollSocketServer::handOver(ClientResource& slot)
{
    {
        std::lock_guard<std::mutex> guard(handOverLock_);
        handedOver_.push_back(&slot);
    }
    wakeIoThreads();
}

void TcpEpollSocketServer::requestClose(unsigned idCode)
{
    ClientResource* slot = slotOf(idCode);
    if (!slot)
        return;
    {
        std::lock_guard<std::mutex> guard(slot->sendLock);
        if (slot->idCode.load() != idCode || slot->closing.load())
            return;
        slot->closing.store(true);
    }
    disconnectList_->push(idCode);
}

void TcpEpollSocketServer::closeClient(unsigned idCode)
{
    CallGuard guard(callers_);
    if (!stopped_.load() && idCode != 0)
        requestClose(idCode);
}

void TcpEpollSocketServer::listenLoop()
{
    while (!stopped_.load()) {
        pollfd p{listenSocket_, POLLIN, 0};
        const int r = ::poll(&p, 1, kAcceptPoll);
        if (r <= 0 || stopped_.load())
            continue;
        while (acceptOne()) {
        }
    }
}

// False when nothing more is waiting or the listener should pause.
bool TcpEpollSocketServer::acceptOne()
{
    sockaddr_in peer{};
    socklen_t len = sizeof peer;
    const int fd = ::accept4(listenSocket_, reinterpret_cast<sockaddr*>(&peer), &len, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd >= 0) {
        accepted(fd, peer.sin_addr.s_addr, ntohs(peer.sin_port));
        return !stopped_.load();
    }
    switch (errno) {
    case EINTR:
    case ECONNABORTED:
    case EPROTO:
    case EPERM:
        return true; // that connection is gone; others may wait
    case EAGAIN:
    case EINVAL: // shut down by stop()
    case EBADF:
        return false;
    case EMFILE:
    case ENFILE:
        refuseWithSpare();
        return false;
    default: // ENOBUFS, ENOMEM and anything unforeseen
        pause(stopped_, kAcceptBackOff);
        return false;
    }
}

// Out of descriptors: the waiting connection cannot be taken, and leaving it
// queued keeps the listen socket readable. The spare descriptor makes room to
// take it and close it at once (a refusal, as when the pool is full); without
// a spare the listener pauses instead.
void TcpEpollSocketServer::refuseWithSpare()
{
    if (spareFd_ >= 0) {
        ::close(spareFd_);
        spareFd_ = -1;
        const int fd = ::accept4(listenSocket_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) {
            closeSocket(fd);
            refused_.fetch_add(1);
        }
        spareFd_ = openSpare();
    }
    if (spareFd_ < 0) {
        pause(stopped_, kAcceptBackOff);
        spareFd_ = openSpare();
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
    // A thread may still be leaving the slot after a stale event.
    while (!post(*slot, 0))
        std::this_thread::yield();
    slot->state.store(Running); // work noted for the previous connection is void
    sequence_ = sequence_ >= _maxSequence ? 1 : sequence_ + 1;
    const unsigned idCode = (slot->index << _sequenceBits) | sequence_;
    const unsigned now = clients_.fetch_add(1) + 1;
    total_.fetch_add(1);
    if (now > peak_.load())
        peak_.store(now);
    slot->socket = fd;
    slot->peerAddress = address;
    slot->peerPort = port;
    slot->sending.clear();
    slot->sentHead = slot->sentOffset = 0;
    slot->unsent.store(0);
    slot->waitingSince.store(0);
    {
        std::lock_guard<std::mutex> guard(slot->sendLock);
        slot->queue.clear();
        slot->blocked = false;
        slot->closing.store(false);
        slot->idCode.store(idCode);
    }
    handler_->connected(idCode, address, port);
    // Edge-triggered: reported once per change, so every reader drains.
    epoll_event ev{};
    ev.events = EPOLLIN | EPOLLOUT | EPOLLRDHUP | EPOLLET;
    ev.data.u64 = idCode;
    if (::epoll_ctl(epoll_, EPOLL_CTL_ADD, fd, &ev) != 0) {
        slot->closing.store(true);
        closeNow(*slot);
    }
    releaseOrHandOver(*slot);
}

void TcpEpollSocketServer::ioLoop()
{
    std::vector<char> buffer(_readSize);
    // Slots this thread owns whose reader used up its turn.
    std::vector<ClientResource*> deferred, again;
    auto run = [&](ClientResource* slot) {
        if (!runSlot(*slot, buffer))
            deferred.push_back(slot);
    };
    epoll_event events[64];
    while (!stopped_.load()) {
        const int n = ::epoll_wait(epoll_, events, 64, deferred.empty() ? kWaitTimeout : 0);
        for (int i = 0; i < n && !stopped_.load(); ++i) {
            const uint64_t key = events[i].data.u64;
            if (key == kWakeKey) {
                // Left readable at stop, so that every I/O thread wakes.
                if (stopped_.load())
                    break;
                uint64_t drained;
                (void)!::read(wakeFd_, &drained, sizeof drained);
                std::vector<ClientResource*> handed;
                {
                    std::lock_guard<std::mutex> guard(handOverLock_);
                    handed.swap(handedOver_);
                }
                for (ClientResource* slot : handed)
                    run(slot);
            } else if (key == kTimerKey) {
                uint64_t ticks;
                (void)!::read(timerFd_, &ticks, sizeof ticks);
                checkWriteTimeouts();
                epoll_event timer{};
                timer.events = EPOLLIN | EPOLLONESHOT;
                timer.data.u64 = kTimerKey;
                ::epoll_ctl(epoll_, EPOLL_CTL_MOD, timerFd_, &timer);
            } else if (ClientResource* slot = slotOf(static_cast<unsigned>(key))) {
                if (slot->idCode.load() != static_cast<unsigned>(key))
                    continue; // a connection closed since
                const uint32_t e = events[i].events;
                unsigned work = 0;
                if (e & (EPOLLIN | EPOLLRDHUP | EPOLLHUP | EPOLLERR))
                    work |= ReadWork;
                if (e & (EPOLLRDHUP | EPOLLHUP | EPOLLERR))
                    work |= kHangUpWork;
                if (e & EPOLLOUT)
                    work |= WriteWork;
                if (post(*slot, work))
                    run(slot);
            }
        }
        again.swap(deferred);
        for (ClientResource* slot : again)
            run(slot);
        again.clear();
    }
}

bool TcpEpollSocketServer::runSlot(ClientResource& slot, std::vector<char>& buffer)
{
    for (;;) {
        if (stopped_.load())
            return true; // stop() clears up
        const unsigned work = slot.state.exchange(Running, std::memory_order_acq_rel) & ~unsigned(Running);
        if (work == 0) {
            unsigned expected = Running;
            if (slot.state.compare_exchange_strong(expected, 0, std::memory_order_acq_rel))
                return true;
            continue;
        }
        const unsigned idCode = slot.idCode.load();
        if (idCode == 0)
            continue; // work left by a connection closed since
        if (slot.closing.load()) {
            closeNow(slot);
            continue;
        }
        if ((work & ReadWork) && !readSome(slot, idCode, buffer, (work & kHangUpWork) != 0)) {
            // Its turn is over; what it still has to do waits for the next.
            slot.state.fetch_or(work & (ReadWork | WriteWork | kHangUpWork));
            return false;
        }
        if (work & WriteWork)
            flushSends(slot, idCode);
    }
}

bool TcpEpollSocketServer::readSome(ClientResource& slot, unsigned idCode, std::vector<char>& buffer, bool toTheEnd)
{
    for (int turn = 0; turn < kReadsPerTurn; ++turn) {
        if (slot.closing.load() || slot.idCode.load() != idCode)
            return true;
        const ssize_t r = ::recv(slot.socket, buffer.data(), buffer.size(), 0);
        if (r > 0) {
            const auto got = static_cast<std::size_t>(r);
            for (std::size_t at = 0; at < got && !slot.closing.load(); at += _receiveSize)
                handler_->readyToRead(idCode, buffer.data() + at, static_cast<unsigned>(std::min<std::size_t>(_receiveSize, got - at)));
            // Answers go out now, not after the socket runs dry: a client
            // that streams would otherwise get nothing back meanwhile.
            flushSends(slot, idCode);
            // A short read emptied the socket: what arrives next is a new
            // edge. A hang-up already reported has no edge to come, so then
            // read on until the end shows.
            if (got < buffer.size() && !toTheEnd)
                return true;
            continue;
        }
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return true;
        // The peer closed (0 bytes) or the connection failed.
        slot.closing.store(true);
        closeNow(slot);
        return true;
    }
    return false;
}

void TcpEpollSocketServer::handBack(unsigned idCode, SocketSentObject* object, bool failed)
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

void TcpEpollSocketServer::flushSends(ClientResource& slot, unsigned idCode)
{
    std::vector<SocketSentObject*> done;
    while (slot.idCode.load() == idCode && !slot.closing.load()) {
        if (slot.sentHead == slot.sending.size()) {
            slot.sending.clear();
            slot.sentHead = slot.sentOffset = 0;
            std::lock_guard<std::mutex> guard(slot.sendLock);
            slot.blocked = false;
            if (slot.queue.empty())
                return;
            slot.sending.swap(slot.queue);
        }
        iovec iov[kWriteBatch];
        int count = 0;
        for (std::size_t i = slot.sentHead; i < slot.sending.size() && count < kWriteBatch; ++i) {
            const std::size_t skip = i == slot.sentHead ? slot.sentOffset : 0;
            iov[count].iov_base = const_cast<char*>(slot.sending[i].data) + skip;
            iov[count].iov_len = slot.sending[i].size - skip;
            ++count;
        }
        msghdr msg{};
        msg.msg_iov = iov;
        msg.msg_iovlen = static_cast<std::size_t>(count);
        const ssize_t r = ::sendmsg(slot.socket, &msg, MSG_NOSIGNAL);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                // The socket's next writable edge resumes here.
                std::lock_guard<std::mutex> guard(slot.sendLock);
                slot.blocked = true;
                return;
            }
            slot.closing.store(true);
            closeNow(slot);
            return;
        }
        auto left = static_cast<std::size_t>(r);
        if (left) {
            slot.waitingSince.store(core::internal::tickMillis());
            slot.unsent.fetch_sub(left);
        }
        while (slot.sentHead < slot.sending.size()) {
            Outgoing& o = slot.sending[slot.sentHead];
            const std::size_t rest = o.size - slot.sentOffset;
            if (left < rest) {
                slot.sentOffset += left;
                break;
            }
            left -= rest;
            done.push_back(o.object);
            ++slot.sentHead;
            slot.sentOffset = 0;
        }
        // Callbacks run with no lock held; they may send again.
        for (SocketSentObject* object : done)
            handBack(idCode, object, false);
        done.clear();
    }
}

// Owner only. The unsent objects go back as failed, then closed().
void TcpEpollSocketServer::closeNow(ClientResource& slot)
{
    const unsigned idCode = slot.idCode.load();
    if (idCode == 0)
        return;
    std::vector<Outgoing> failed;
    {
        std::lock_guard<std::mutex> guard(slot.sendLock);
        slot.closing.store(true);
        failed.assign(slot.sending.begin() + static_cast<std::ptrdiff_t>(slot.sentHead), slot.sending.end());
        failed.insert(failed.end(), slot.queue.begin(), slot.queue.end());
        slot.queue.clear();
        slot.blocked = false;
    }
    slot.sending.clear();
    slot.sentHead = slot.sentOffset = 0;
    slot.unsent.store(0);
    const int fd = slot.socket;
    slot.socket = -1;
    ::epoll_ctl(epoll_, EPOLL_CTL_DEL, fd, nullptr);
    closeSocket(fd);
    for (const Outgoing& o : failed)
        handBack(idCode, o.object, true);
    handler_->closed(idCode);
    slot.idCode.store(0);
    clients_.fetch_sub(1);
    freeList_->push(&slot);
}

bool TcpEpollSocketServer::sendTo(unsigned idCode, SocketSentObject* object)
{
    if (!object)
        return false;
    CallGuard guard(callers_);
    if (stopped_.load())
        return false;
    ClientResource* slot = slotOf(idCode);
    if (!slot)
        return false;
    const char* data = object->data();
    const int size = object->size();
    const std::size_t n = size > 0 ? static_cast<std::size_t>(size) : 0;
    bool over = false;
    bool kick = false;
    {
        std::lock_guard<std::mutex> lock(slot->sendLock);
        if (slot->idCode.load() != idCode || slot->closing.load())
            return false;
        const std::size_t unsent = slot->unsent.load();
        if (unsent > 0 && unsent + n > maxQueuedBytes_) {
            over = true;
        } else {
            if (unsent == 0)
                slot->waitingSince.store(core::internal::tickMillis());
            slot->unsent.fetch_add(n);
            slot->queue.push_back({object, data, n});
            kick = !slot->blocked;
        }
    }
    if (over) {
        // A peer that does not keep up with what is sent to it.
        requestClose(idCode);
        return false;
    }
    if (kick && post(*slot, WriteWork))
        handOver(*slot); // idle: an I/O thread sends it
    return true;
}

void TcpEpollSocketServer::checkWriteTimeouts()
{
    const std::int64_t now = core::internal::tickMillis();
    for (const auto& slot : slots_) {
        const unsigned idCode = slot->idCode.load();
        if (idCode == 0 || slot->unsent.load() == 0)
            continue;
        if (now - slot->waitingSince.load() >= writeTimeout_)
            requestClose(idCode);
    }
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
        // An owner elsewhere sees the closing flag and closes it itself.
        if (post(*slot, CloseWork)) {
            slot->state.fetch_and(~unsigned(CloseWork));
            if (slot->idCode.load() == idCode && slot->closing.load())
                closeNow(*slot);
            releaseOrHandOver(*slot);
        }
    }
}

String TcpEpollSocketServer::stats()
{
    CallGuard guard(callers_);
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
    s += String(freeList_ && !stopped_.load() ? freeList_->size() : 0);
    s += ".\nThe current client count is ";
    s += String(static_cast<core::int64>(clients_.load()));
    s += ".\n";
    s += "The following idCode is used.\n";
    if (stopped_.load())
        return s;
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
