#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
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

constexpr int kPollTimeout = 1000;

} // namespace

void loadSocketLibrary()
{
    ScopedLock<Mutex> guard(loadLock());
    if (gLoaded.load())
        return;
    // The socket layer needs no start-up here; only the notifier.
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
}

TcpSocketNotifier* TcpSocketNotifier::instance()
{
    return gNotifier.load();
}

TcpSocketNotifier::TcpSocketNotifier() : wakeFd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

TcpSocketNotifier::~TcpSocketNotifier()
{
    if (wakeFd_ >= 0)
        ::close(wakeFd_);
}

void TcpSocketNotifier::wake()
{
    const uint64_t one = 1;
    if (wakeFd_ >= 0)
        (void)!::write(wakeFd_, &one, sizeof one);
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
    std::vector<pollfd> fds;
    std::vector<Entry> polled;
    while (!stop_.load()) {
        fds.clear();
        polled.clear();
        fds.push_back(pollfd{wakeFd_, POLLIN, 0});
        {
            ScopedLock<Mutex> guard(lock_);
            for (const auto& [fd, entry] : sockets_) {
                if (!entry.socket->isEndOfInput()) {
                    fds.push_back(pollfd{fd, POLLIN, 0});
                    polled.push_back(entry);
                }
            }
        }
        const int ready = ::poll(fds.data(), fds.size(), kPollTimeout);
        if (stop_.load())
            break;
        if (ready <= 0) {
            if (ready < 0 && errno != EINTR)
                core::Thread::sleep(10);
            continue;
        }
        if (fds[0].revents) {
            uint64_t drained;
            (void)!::read(wakeFd_, &drained, sizeof drained);
        }
        ScopedLock<Mutex> guard(lock_);
        for (std::size_t i = 1; i < fds.size(); ++i) {
            if (!fds[i].revents)
                continue;
            // The socket may have been closed, deleted or replaced by an
            // earlier callback of this round: only the very one polled counts.
            const auto it = sockets_.find(fds[i].fd);
            if (it == sockets_.end() || it->second.serial != polled[i - 1].serial)
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
