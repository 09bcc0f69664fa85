// FD_SETSIZE before the socket headers: Windows' select takes a counted
// array, so the set may hold more than the default 64 sockets.
#define FD_SETSIZE 1024
#include <winsock2.h>
#include <ws2tcpip.h>

#include <atomic>
#include <vector>

#include "tessaly/core/ScopedLock.h"
#include "tessaly/core/Thread.h"
#include "tessaly/network/SocketHandlerBase.h"
#include "tessaly/network/SocketLibrary.h"
#include "tessaly/network/TcpSocket.h"
#include "tessaly/network/TcpSocketNotifier.h"

namespace tessaly::network {

using core::Mutex;
using core::ScopedLock;

namespace {

std::atomic<TcpSocketNotifier*> gNotifier{nullptr};
std::atomic<bool> gLoaded{false};
Mutex& loadLock()
{
    static Mutex* m = new Mutex;
    return *m;
}

constexpr long kSelectTimeoutMs = 1000;
// One select() call looks at this many sockets; more are taken in turns.
constexpr std::size_t kPerRound = FD_SETSIZE - 1;

SOCKET handleOf(int s)
{
    return static_cast<SOCKET>(static_cast<unsigned>(s));
}

// A UDP socket connected to itself on loopback: a datagram sent to it makes
// select() return, which an event handle cannot do.
int makeWakeSocket()
{
    const SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET)
        return -1;
    sockaddr_in self{};
    self.sin_family = AF_INET;
    self.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int len = sizeof self;
    u_long nonBlocking = 1;
    if (::bind(s, reinterpret_cast<sockaddr*>(&self), sizeof self) != 0
        || ::getsockname(s, reinterpret_cast<sockaddr*>(&self), &len) != 0
        || ::connect(s, reinterpret_cast<sockaddr*>(&self), sizeof self) != 0
        || ::ioctlsocket(s, FIONBIO, &nonBlocking) != 0) {
        ::closesocket(s);
        return -1;
    }
    return static_cast<int>(s);
}

} // namespace

void loadSocketLibrary()
{
    ScopedLock<Mutex> guard(loadLock());
    if (gLoaded.load())
        return;
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    auto* notifier = new TcpSocketNotifier;
    gNotifier.store(notifier);
    notifier->thread_ = new core::Thread(notifier, false);
    gLoaded.store(true);
}

void unloadSocketLibrary()
{
    ScopedLock<Mutex> guard(loadLock());
    if (!gLoaded.load())
        return;
    gLoaded.store(false);
    TcpSocketNotifier* notifier = gNotifier.exchange(nullptr);
    notifier->stop();
    delete notifier->thread_;
    delete notifier;
    WSACleanup();
}

TcpSocketNotifier* TcpSocketNotifier::instance()
{
    return gNotifier.load();
}

TcpSocketNotifier::TcpSocketNotifier() : wakeFd_(makeWakeSocket()) {}

TcpSocketNotifier::~TcpSocketNotifier()
{
    if (wakeFd_ >= 0)
        ::closesocket(handleOf(wakeFd_));
}

void TcpSocketNotifier::wake()
{
    const char one = 1;
    if (wakeFd_ >= 0)
        ::send(handleOf(wakeFd_), &one, 1, 0);
}

void TcpSocketNotifier::stop()
{
    stop_.store(true);
    wake();
}

void TcpSocketNotifier::registerSocket(TcpSocket* socket)
{
    {
        ScopedLock<Mutex> guard(lock_);
        sockets_[socket->getHandle()] = Entry{socket, nextSerial_++};
    }
    wake();
}

void TcpSocketNotifier::unregisterSocket(TcpSocket* socket)
{
    ScopedLock<Mutex> guard(lock_);
    const auto it = sockets_.find(socket->getHandle());
    if (it != sockets_.end() && it->second.socket == socket)
        sockets_.erase(it);
}

bool TcpSocketNotifier::isRegistered(const TcpSocket* socket)
{
    ScopedLock<Mutex> guard(lock_);
    for (const auto& [fd, entry] : sockets_) {
        if (entry.socket == socket)
            return true;
    }
    return false;
}

int TcpSocketNotifier::registeredCount()
{
    ScopedLock<Mutex> guard(lock_);
    return static_cast<int>(sockets_.size());
}

void TcpSocketNotifier::run()
{
    std::vector<std::pair<int, Entry>> polled;
    std::size_t start = 0;
    while (!stop_.load()) {
        polled.clear();
        fd_set readable;
        FD_ZERO(&readable);
        if (wakeFd_ >= 0)
            FD_SET(handleOf(wakeFd_), &readable);
        {
            ScopedLock<Mutex> guard(lock_);
            std::vector<std::pair<int, Entry>> all;
            for (const auto& [fd, entry] : sockets_) {
                if (!entry.socket->isEndOfInput())
                    all.emplace_back(fd, entry);
            }
            if (start >= all.size())
                start = 0;
            for (std::size_t i = 0; i < all.size() && polled.size() < kPerRound; ++i)
                polled.push_back(all[(start + i) % all.size()]);
            start += polled.size();
        }
        for (const auto& [fd, entry] : polled)
            FD_SET(handleOf(fd), &readable);
        timeval tv{0, kSelectTimeoutMs * 1000};
        const int ready = readable.fd_count ? ::select(0, &readable, nullptr, nullptr, &tv) : (Sleep(kSelectTimeoutMs), 0);
        if (stop_.load())
            break;
        if (ready <= 0) {
            if (ready < 0)
                core::Thread::sleep(10);
            continue;
        }
        if (wakeFd_ >= 0 && FD_ISSET(handleOf(wakeFd_), &readable)) {
            char drained[64];
            while (::recv(handleOf(wakeFd_), drained, sizeof drained, 0) > 0) {
            }
        }
        ScopedLock<Mutex> guard(lock_);
        for (const auto& [fd, entry] : polled) {
            if (!FD_ISSET(handleOf(fd), &readable))
                continue;
            // The socket may have been closed, deleted or replaced by an
            // earlier callback of this round: only the very one polled counts.
            const auto it = sockets_.find(fd);
            if (it == sockets_.end() || it->second.serial != entry.serial)
                continue;
            TcpSocket* socket = it->second.socket;
            if (socket->isEndOfInput() || !socket->isConnected())
                continue;
            const int count = socket->availableReadBytes();
            if (count == 0)
                socket->setEndOfInput(true);
            if (SocketHandlerBase* handler = socket->getSocketHandler())
                handler->readyToRead(count);
        }
    }
}

} // namespace tessaly::network
