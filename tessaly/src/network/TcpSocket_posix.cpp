#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "tessaly/network/SocketHandlerBase.h"
#include "tessaly/network/SocketInputStream.h"
#include "tessaly/network/SocketOutputStream.h"
#include "tessaly/network/TcpSocket.h"
#include "tessaly/network/TcpSocketNotifier.h"
#include "tessaly/utils/PerformanceCounter.h"

namespace tessaly::network {

using core::String;

SocketErrorCode socketErrorCode(int error)
{
    switch (error) {
    case ECONNREFUSED: return SocketErrorConnectionRefused;
    case EHOSTUNREACH:
    case EHOSTDOWN: return SocketErrorHostUnreachable;
    case EACCES:
    case EPERM: return SocketErrorAccessDenied;
    case ETIMEDOUT: return SocketErrorTimedOut;
    case ENETUNREACH:
    case ENETDOWN: return SocketErrorNetworkUnreachable;
    case ECONNABORTED:
    case ECONNRESET:
    case EPIPE: return SocketErrorConnectionAborted;
    case EADDRINUSE: return SocketErrorAddressInUse;
    case EALREADY: return SocketErrorAlreadyInProgress;
    default: return SocketErrorOther;
    }
}

namespace {

// poll() for one event; 1 ready, 0 timed out, -1 failed.
int waitFor(int fd, short events, int timeout)
{
    pollfd p{fd, events, 0};
    for (;;) {
        const int r = ::poll(&p, 1, timeout < 0 ? -1 : timeout);
        if (r < 0 && errno == EINTR)
            continue;
        return r;
    }
}

} // namespace

TcpSocket::TcpSocket() = default;

TcpSocket::~TcpSocket()
{
    close();
    delete input_;
    delete output_;
}

bool TcpSocket::connect(const char* host, int port)
{
    return connect(String(host), port, _defaultConnectTimeout);
}

bool TcpSocket::connect(const String& host, int port, int timeout)
{
    if (connected_) {
        if (host == peerName_ && port == peerPort_)
            return true;
        close();
    }
    peerName_ = host;
    peerPort_ = port;
    // connectSocket marks the socket connected before the notifier can see it.
    return connectSocket(timeout);
}

void TcpSocket::reportError(SocketErrorAction action, int error)
{
    if (handler_)
        handler_->handleError(action, socketErrorCode(error));
}

void TcpSocket::closeHandle()
{
    if (socket_ >= 0)
        ::close(socket_);
    socket_ = -1;
}

bool TcpSocket::connectSocket(int timeout)
{
    if (peerName_.isEmpty() || peerPort_ <= 0 || peerPort_ > 65535)
        return false;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(peerName_.text(), nullptr, &hints, &found) != 0 || !found)
        return false;
    sockaddr_in address{};
    std::memcpy(&address, found->ai_addr, sizeof address);
    ::freeaddrinfo(found);
    address.sin_port = htons(static_cast<uint16_t>(peerPort_));

    socket_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket_ < 0)
        return false;
    setBlocking(false);
    if (::connect(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        if (errno != EINPROGRESS) {
            reportError(SocketErrorConnect, errno);
            closeHandle();
            return false;
        }
        if (!waitForConnected(timeout)) {
            closeHandle();
            return false;
        }
    }
    setOptions();
    endOfInput_ = false;
    connected_ = true;
    if (TcpSocketNotifier* notifier = TcpSocketNotifier::instance())
        notifier->registerSocket(this);
    return true;
}

bool TcpSocket::waitForConnected(int timeout)
{
    const int r = waitFor(socket_, POLLOUT, timeout);
    if (r <= 0) {
        if (r == 0)
            reportError(SocketErrorConnect, ETIMEDOUT);
        return false;
    }
    // Writable also when the attempt failed: the outcome is in SO_ERROR.
    int error = 0;
    socklen_t len = sizeof error;
    if (::getsockopt(socket_, SOL_SOCKET, SO_ERROR, &error, &len) != 0)
        error = errno;
    if (error != 0) {
        reportError(SocketErrorConnect, error);
        return false;
    }
    return true;
}

void TcpSocket::setOptions()
{
    int size = _bufferSize;
    ::setsockopt(socket_, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
    ::setsockopt(socket_, SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
}

void TcpSocket::setBlocking(bool blocking)
{
    const int flags = ::fcntl(socket_, F_GETFL, 0);
    if (flags >= 0)
        ::fcntl(socket_, F_SETFL, blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK));
}

void TcpSocket::close()
{
    if (!connected_)
        return;
    if (TcpSocketNotifier* notifier = TcpSocketNotifier::instance())
        notifier->unregisterSocket(this);
    connected_ = false;
    ::shutdown(socket_, SHUT_RDWR);
    closeHandle();
    peerName_ = String();
    peerPort_ = 0;
}

int TcpSocket::read(void* buffer, int n)
{
    if (!connected_ || !buffer || n < 0)
        return -1;
    ssize_t r;
    do {
        r = ::recv(socket_, buffer, static_cast<std::size_t>(n), 0);
    } while (r < 0 && errno == EINTR);
    if (r < 0 && errno != EAGAIN && errno != EWOULDBLOCK && handler_)
        handler_->handleError(SocketErrorRead, socketErrorCode(errno) == SocketErrorConnectionAborted
                                                   ? SocketErrorConnectionAborted
                                                   : SocketErrorOther);
    return static_cast<int>(r);
}

int TcpSocket::sendPiece(const char* data, int n)
{
    // No SIGPIPE for a vanished peer: the error comes back as EPIPE instead.
    return static_cast<int>(::send(socket_, data, static_cast<std::size_t>(n), MSG_NOSIGNAL));
}

int TcpSocket::write(const void* buffer, int n, int timeout)
{
    if (!connected_ || !buffer || n < 0)
        return -1;
    const char* p = static_cast<const char*>(buffer);
    int sent = 0;
    double remaining = timeout;
    while (sent < n) {
        const int piece = n - sent < _sendPieceSize ? n - sent : _sendPieceSize;
        const int r = sendPiece(p + sent, piece);
        if (r > 0) {
            sent += r;
            continue;
        }
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (timeout >= 0 && remaining <= 0)
                return sent;
            utils::PerformanceCounter waited;
            waited.start();
            const int ready = waitFor(socket_, POLLOUT, timeout < 0 ? -1 : static_cast<int>(remaining + 0.999));
            waited.stop();
            if (ready < 0)
                return -1;
            if (timeout >= 0) {
                remaining -= waited.elapse();
                if (ready == 0)
                    return sent;
            }
            continue;
        }
        if (handler_)
            handler_->handleError(SocketErrorWrite, socketErrorCode(errno) == SocketErrorConnectionAborted
                                                        ? SocketErrorConnectionAborted
                                                        : SocketErrorOther);
        return -1;
    }
    return n;
}

int TcpSocket::availableReadBytes() const
{
    if (!connected_)
        return -1;
    int count = 0;
    return ::ioctl(socket_, FIONREAD, &count) == 0 ? count : -1;
}

SocketInputStream* TcpSocket::getSocketInputStream()
{
    if (!input_)
        input_ = new SocketInputStream(this);
    return input_;
}

SocketOutputStream* TcpSocket::getSocketOutputStream()
{
    if (!output_)
        output_ = new SocketOutputStream(this);
    return output_;
}

} // namespace tessaly::network
