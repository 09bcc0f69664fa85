#include "network/TcpWindowsSocketServer.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "core/internal/Clock.h"
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

class FunctionRunnable : public core::Runnable {
public:
    explicit FunctionRunnable(std::function<void()> f) : f_(std::move(f)) {}
    void run() override { f_(); }
    void release() override { delete this; }

private:
    std::function<void()> f_;
};

class CallGuard {
public:
    explicit CallGuard(std::atomic<int>& count) : count_(count) { count_.fetch_add(1); }
    ~CallGuard() { count_.fetch_sub(1); }
    CallGuard(const CallGuard&) = delete;
    CallGuard& operator=(const CallGuard&) = delete;

private:
    std::atomic<int>& count_;
};

void closeSocket(SOCKET s)
{
    ::shutdown(s, SD_BOTH);
    ::closesocket(s);
}

} // namespace

TcpWindowsSocketServer::TcpWindowsSocketServer(unsigned maxConnections, TcpSocketServerHandler* handler,
                                               bool ownsHandler, const TcpServerLimits& limits)
    : handler_(handler),
      ownsHandler_(ownsHandler),
      maxQueuedBytes_(limits.maxQueuedBytes ? limits.maxQueuedBytes : TcpServerLimits::_defaultMaxQueuedBytes),
      writeTimeout_(limits.writeTimeout > 0 ? limits.writeTimeout : TcpServerLimits::_defaultWriteTimeout),
      max_(std::min(maxConnections, _maxConnections))
{
}

TcpWindowsSocketServer::~TcpWindowsSocketServer()
{
    stop();
    if (ownsHandler_ && handler_)
        handler_->release();
}

TcpWindowsSocketServer::ClientResource* TcpWindowsSocketServer::slotOf(unsigned idCode)
{
    const unsigned index = idCode >> 20;
    return idCode != 0 && index < slots_.size() ? slots_[index].get() : nullptr;
}

bool TcpWindowsSocketServer::listenOn(const char* address, unsigned short port)
{
    listenSocket_ = WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_OVERLAPPED);
    if (listenSocket_ == INVALID_SOCKET) {
        lastError_ = String();
        return false;
    }
    // Windows' SO_REUSEADDR would let a second server steal the port; the
    // exclusive option gives the behaviour the address re-use has elsewhere:
    // a port in use is refused at bind.
    BOOL on = TRUE;
    if (::setsockopt(listenSocket_, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on), sizeof on) != 0) {
        closeSocket(listenSocket_);
        listenSocket_ = INVALID_SOCKET;
        lastError_ = "Failed to set socket option for listening socket.";
        return false;
    }
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_port = htons(port);
    if (!address || ::inet_pton(AF_INET, address, &where.sin_addr) != 1
        || ::bind(listenSocket_, reinterpret_cast<sockaddr*>(&where), sizeof where) != 0) {
        closeSocket(listenSocket_);
        listenSocket_ = INVALID_SOCKET;
        lastError_ = "Failed to bind the listen Socket.";
        return false;
    }
    if (::listen(listenSocket_, 5) != 0) {
        closeSocket(listenSocket_);
        listenSocket_ = INVALID_SOCKET;
        lastError_ = "Failed to listen.";
        return false;
    }
    return true;
}

bool TcpWindowsSocketServer::start(const char* address, unsigned short port, char* errorBuffer, unsigned errorSize)
{
    lastError_ = String();
    if (!stopped_.load())
        return true;
    auto report = [&] {
        if (errorBuffer && errorSize > 0) {
            const char* text = lastError_.text() ? lastError_.text() : "";
            const std::size_t n = std::min<std::size_t>(std::strlen(text), errorSize - 1);
            std::memcpy(errorBuffer, text, n);
            errorBuffer[n] = '\0';
        }
        return false;
    };
    if (!listenOn(address, port))
        return report();
    port_ = CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 0);
    if (!port_) {
        closeSocket(listenSocket_);
        listenSocket_ = INVALID_SOCKET;
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

void TcpWindowsSocketServer::stop()
{
    if (stopped_.exchange(true))
        return;
    // Closing the listen socket ends the blocked accept.
    ::closesocket(listenSocket_);
    listenSocket_ = INVALID_SOCKET;
    listener_.reset(); // joins
    // One empty packet per I/O thread ends its wait at once.
    for (int i = 0; i < _ioThreads; ++i)
        PostQueuedCompletionStatus(port_, 0, 0, nullptr);
    io_.clear();
    disconnectList_->cancel();
    disconnector_.reset();
    while (callers_.load() > 0)
        SwitchToThread();
    for (auto& slot : slots_) {
        if (slot->socket != INVALID_SOCKET)
            closeSocket(slot->socket);
        slot->socket = INVALID_SOCKET;
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
    CloseHandle(port_);
    port_ = nullptr;
    ClientResource* unused;
    while (freeList_->tryPop(unused)) {
    }
    slots_.clear();
    clients_.store(0);
}

void TcpWindowsSocketServer::listenLoop()
{
    while (!stopped_.load()) {
        sockaddr_in peer{};
        int len = sizeof peer;
        const SOCKET s = ::accept(listenSocket_, reinterpret_cast<sockaddr*>(&peer), &len);
        if (s == INVALID_SOCKET) {
            // The listen socket closed by stop() ends the loop; anything
            // else (a peer that reset before we took it) is retried.
            if (stopped_.load())
                break;
            Sleep(10);
            continue;
        }
        accepted(s, peer);
    }
}

void TcpWindowsSocketServer::accepted(SOCKET s, const sockaddr_in& peer)
{
    ClientResource* slot = nullptr;
    if (!freeList_->tryPop(slot)) {
        closeSocket(s);
        refused_.fetch_add(1);
        return;
    }
    if (++sequence_ > _maxSequence)
        sequence_ = 1;
    const unsigned idCode = (slot->index << 20) | sequence_;
    if (!CreateIoCompletionPort(reinterpret_cast<HANDLE>(s), port_, static_cast<ULONG_PTR>(idCode), 0)) {
        ::closesocket(s);
        freeList_->push(slot);
        return;
    }
    const unsigned now = clients_.fetch_add(1) + 1;
    total_.fetch_add(1);
    if (now > peak_.load())
        peak_.store(now);
    ScopedLock<SpinLock> guard(slot->receiveLock);
    {
        ScopedLock<SpinLock> sendGuard(slot->sendLock);
        slot->socket = s;
        slot->closing = false;
        slot->peerAddress = peer.sin_addr.s_addr;
        slot->peerPort = ntohs(peer.sin_port);
        slot->current = nullptr;
        slot->queue.clear();
        slot->queuedBytes = 0;
        slot->idCode.store(idCode);
    }
    handler_->connected(idCode, slot->peerAddress, slot->peerPort);
    if (!postReceive(*slot, idCode))
        PostQueuedCompletionStatus(port_, 0, static_cast<ULONG_PTR>(idCode), &slot->receive.overlapped);
}

bool TcpWindowsSocketServer::postReceive(ClientResource& slot, unsigned)
{
    std::memset(&slot.receive.overlapped, 0, sizeof slot.receive.overlapped);
    WSABUF buf{_receiveSize, slot.receiveBuffer};
    DWORD flags = 0;
    if (WSARecv(slot.socket, &buf, 1, nullptr, &flags, &slot.receive.overlapped, nullptr) == 0)
        return true;
    return WSAGetLastError() == WSA_IO_PENDING;
}

bool TcpWindowsSocketServer::postSend(ClientResource& slot, unsigned)
{
    std::memset(&slot.send.overlapped, 0, sizeof slot.send.overlapped);
    WSABUF buf{static_cast<ULONG>(slot.windowLength), const_cast<char*>(slot.window)};
    slot.sendSince.store(core::internal::tickMillis());
    if (WSASend(slot.socket, &buf, 1, nullptr, 0, &slot.send.overlapped, nullptr) == 0)
        return true;
    return WSAGetLastError() == WSA_IO_PENDING;
}

void TcpWindowsSocketServer::ioLoop()
{
    while (!stopped_.load()) {
        DWORD bytes = 0;
        ULONG_PTR key = 0;
        OVERLAPPED* overlapped = nullptr;
        const BOOL ok = GetQueuedCompletionStatus(port_, &bytes, &key, &overlapped, _waitTimeout);
        if (stopped_.load())
            break;
        if (!overlapped) {
            // Time-out or a wake-up: a chance to look for stuck sends.
            checkWriteTimeouts();
            continue;
        }
        const unsigned idCode = static_cast<unsigned>(key);
        ClientResource* slot = slotOf(idCode);
        if (!slot)
            continue;
        IoRecord* record = CONTAINING_RECORD(overlapped, IoRecord, overlapped);
        if (!ok || bytes == 0) {
            if (record->isSend) {
                ScopedLock<SpinLock> guard(slot->sendLock);
                if (slot->idCode.load() == idCode) {
                    slot->sendSince.store(0);
                    failSends(*slot, idCode);
                }
            }
            disconnectList_->push(idCode);
            continue;
        }
        if (record->isSend)
            sendCompleted(*slot, idCode, bytes);
        else
            receiveCompleted(*slot, idCode, bytes);
    }
}

void TcpWindowsSocketServer::receiveCompleted(ClientResource& slot, unsigned idCode, DWORD bytes)
{
    ScopedLock<SpinLock> guard(slot.receiveLock);
    if (slot.idCode.load() != idCode || slot.closing)
        return;
    handler_->readyToRead(idCode, slot.receiveBuffer, bytes);
    if (!postReceive(slot, idCode))
        disconnectList_->push(idCode);
}

void TcpWindowsSocketServer::sendCompleted(ClientResource& slot, unsigned idCode, DWORD bytes)
{
    ScopedLock<SpinLock> guard(slot.sendLock);
    if (slot.idCode.load() != idCode || !slot.current)
        return;
    if (bytes < slot.windowLength) {
        // Part of the object went out: the rest follows, also when a close
        // is waiting, which lets the object in progress end whole.
        slot.window += bytes;
        slot.windowLength -= bytes;
        if (!postSend(slot, idCode)) {
            slot.sendSince.store(0);
            failSends(slot, idCode);
            disconnectList_->push(idCode);
        }
        return;
    }
    slot.sendSince.store(0);
    SocketSentObject* done = slot.current;
    slot.current = nullptr;
    handBack(idCode, done, false);
    if (slot.closing) {
        failSends(slot, idCode);
        disconnectList_->push(idCode);
        return;
    }
    startNextSend(slot, idCode);
}

void TcpWindowsSocketServer::startNextSend(ClientResource& slot, unsigned idCode)
{
    if (slot.queue.empty())
        return;
    slot.current = slot.queue.front();
    slot.queue.pop_front();
    slot.queuedBytes -= std::min<std::size_t>(slot.queuedBytes, static_cast<std::size_t>(std::max(0, slot.current->size())));
    slot.window = slot.current->data();
    slot.windowLength = static_cast<std::size_t>(std::max(0, slot.current->size()));
    if (!postSend(slot, idCode)) {
        slot.sendSince.store(0);
        failSends(slot, idCode);
        disconnectList_->push(idCode);
    }
}

void TcpWindowsSocketServer::handBack(unsigned idCode, SocketSentObject* object, bool failed)
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

void TcpWindowsSocketServer::failSends(ClientResource& slot, unsigned idCode)
{
    if (slot.current)
        handBack(idCode, slot.current, true);
    slot.current = nullptr;
    while (!slot.queue.empty()) {
        SocketSentObject* o = slot.queue.front();
        slot.queue.pop_front();
        handBack(idCode, o, true);
    }
    slot.queuedBytes = 0;
}

void TcpWindowsSocketServer::checkWriteTimeouts()
{
    // One I/O thread looks, at most once a second.
    const std::int64_t now = core::internal::tickMillis();
    std::int64_t last = lastTimeoutCheck_.load();
    if (now - last < 1000 || !lastTimeoutCheck_.compare_exchange_strong(last, now))
        return;
    for (auto& slot : slots_) {
        const std::int64_t since = slot->sendSince.load();
        if (since == 0 || now - since < writeTimeout_)
            continue;
        // The peer has taken nothing for too long: cancelling the send
        // completes it as failed, which retires the connection.
        ScopedLock<SpinLock> guard(slot->sendLock);
        if (slot->current && slot->socket != INVALID_SOCKET && slot->sendSince.load() == since)
            CancelIoEx(reinterpret_cast<HANDLE>(slot->socket), &slot->send.overlapped);
    }
}

bool TcpWindowsSocketServer::sendTo(unsigned idCode, SocketSentObject* object)
{
    CallGuard calls(callers_);
    if (stopped_.load() || !object)
        return false;
    ClientResource* slot = slotOf(idCode);
    if (!slot)
        return false;
    const std::size_t size = static_cast<std::size_t>(std::max(0, object->size()));
    bool overLimit = false;
    {
        ScopedLock<SpinLock> guard(slot->sendLock);
        if (slot->idCode.load() != idCode || slot->closing)
            return false;
        if (slot->current) {
            if (slot->queuedBytes + size <= maxQueuedBytes_) {
                slot->queue.push_back(object);
                slot->queuedBytes += size;
                return true;
            }
            // A peer that does not read would have us hold everything.
            slot->closing = true;
            overLimit = true;
        } else {
            slot->current = object;
            slot->window = object->data();
            slot->windowLength = size;
            if (postSend(*slot, idCode))
                return true;
            slot->current = nullptr;
            slot->sendSince.store(0);
        }
    }
    (void)overLimit;
    disconnectList_->push(idCode);
    return false;
}

void TcpWindowsSocketServer::closeClient(unsigned idCode)
{
    CallGuard calls(callers_);
    if (!stopped_.load() && idCode != 0)
        disconnectList_->push(idCode);
}

void TcpWindowsSocketServer::disconnectLoop()
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
        SOCKET s = INVALID_SOCKET;
        {
            ScopedLock<SpinLock> sendGuard(slot->sendLock);
            if (slot->idCode.load() != idCode)
                continue;
            if (slot->current) {
                // The send path brings the id code back when it ends.
                slot->closing = true;
                continue;
            }
            s = slot->socket;
            slot->socket = INVALID_SOCKET;
            slot->closing = false;
            failSends(*slot, idCode);
        }
        if (s != INVALID_SOCKET)
            closeSocket(s);
        handler_->closed(idCode);
        slot->idCode.store(0);
        clients_.fetch_sub(1);
        freeList_->push(slot);
    }
}

String TcpWindowsSocketServer::stats()
{
    CallGuard calls(callers_);
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
