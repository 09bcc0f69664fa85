#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstring>

#include "tessaly/network/SocketHandlerBase.h"
#include "tessaly/network/SocketInputStream.h"
#include "tessaly/network/SocketOutputStream.h"
#include "tessaly/network/TcpSocket.h"
#include "tessaly/network/TcpSocketNotifier.h"
#include "tessaly/utils/PerformanceCounter.h"

namespace tessaly::network {

using core::String;

// Socket handles are kept in the int the class stores: Windows socket
// handles are small kernel handle values.

SocketErrorCode socketErrorCode(int error)
{
    switch (error) {
    case WSAECONNREFUSED: return SocketErrorConnectionRefused;
    case WSAEHOSTUNREACH:
    case WSAEHOSTDOWN: return SocketErrorHostUnreachable;
    case WSAEACCES: return SocketErrorAccessDenied;
    case WSAETIMEDOUT: return SocketErrorTimedOut;
    case WSAENETUNREACH:
    case WSAENETDOWN: return SocketErrorNetworkUnreachable;
    case WSAECONNABORTED:
    case WSAECONNRESET:
    case WSAESHUTDOWN: return SocketErrorConnectionAborted;
    case WSAEADDRINUSE: return SocketErrorAddressInUse;
    case WSAEALREADY: return SocketErrorAlreadyInProgress;
    default: return SocketErrorOther;
    }
}

namespace {

SOCKET handleOf(int s)
{
    return static_cast<SOCKET>(static_cast<unsigned>(s));
}

// select() for one socket; 1 ready, 0 timed out, -1 failed. A failed
// connect shows in the exception set, not as writable.
int waitFor(int s, bool forWrite, int timeout, bool* failed = nullptr)
{
    fd_set ready;
    fd_set broken;
    FD_ZERO(&ready);
    FD_ZERO(&broken);
    FD_SET(handleOf(s), &ready);
    FD_SET(handleOf(s), &broken);
    timeval tv{timeout / 1000, (timeout % 1000) * 1000};
    const int r = ::select(0, forWrite ? nullptr : &ready, forWrite ? &ready : nullptr, &broken,
                           timeout < 0 ? nullptr : &tv);
    if (failed)
        *failed = r > 0 && FD_ISSET(handleOf(s), &broken);
    return r < 0 ? -1 : r;
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
        ::closesocket(handleOf(socket_));
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
    address.sin_port = htons(static_cast<u_short>(peerPort_));

    const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET)
        return false;
    SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
    socket_ = static_cast<int>(s);
    setBlocking(false);
    if (::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        const int error = WSAGetLastError();
        if (error != WSAEWOULDBLOCK) {
            reportError(SocketErrorConnect, error);
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
    bool failed = false;
    const int r = waitFor(socket_, true, timeout, &failed);
    if (r <= 0) {
        if (r == 0)
            reportError(SocketErrorConnect, WSAETIMEDOUT);
        return false;
    }
    int error = 0;
    int len = sizeof error;
    if (::getsockopt(handleOf(socket_), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &len) != 0)
        error = WSAGetLastError();
    if (failed && error == 0)
        error = WSAECONNREFUSED;
    if (error != 0) {
        reportError(SocketErrorConnect, error);
        return false;
    }
    return true;
}

void TcpSocket::setOptions()
{
    int size = _bufferSize;
    ::setsockopt(handleOf(socket_), SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&size), sizeof size);
    ::setsockopt(handleOf(socket_), SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&size), sizeof size);
}

void TcpSocket::setBlocking(bool blocking)
{
    u_long nonBlocking = blocking ? 0 : 1;
    ::ioctlsocket(handleOf(socket_), FIONBIO, &nonBlocking);
}

void TcpSocket::close()
{
    if (!connected_)
        return;
    if (TcpSocketNotifier* notifier = TcpSocketNotifier::instance())
        notifier->unregisterSocket(this);
    connected_ = false;
    ::shutdown(handleOf(socket_), SD_BOTH);
    closeHandle();
    peerName_ = String();
    peerPort_ = 0;
}

int TcpSocket::read(void* buffer, int n)
{
    if (!connected_ || !buffer || n < 0)
        return -1;
    const int r = ::recv(handleOf(socket_), static_cast<char*>(buffer), n, 0);
    if (r < 0) {
        const int error = WSAGetLastError();
        if (error != WSAEWOULDBLOCK && handler_)
            handler_->handleError(SocketErrorRead, socketErrorCode(error) == SocketErrorConnectionAborted
                                                       ? SocketErrorConnectionAborted
                                                       : SocketErrorOther);
    }
    return r;
}

int TcpSocket::sendPiece(const char* data, int n)
{
    return ::send(handleOf(socket_), data, n, 0);
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
        const int error = WSAGetLastError();
        if (r < 0 && error == WSAEWOULDBLOCK) {
            if (timeout >= 0 && remaining <= 0)
                return sent;
            utils::PerformanceCounter waited;
            waited.start();
            const int ready = waitFor(socket_, true, timeout < 0 ? -1 : static_cast<int>(remaining + 0.999));
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
            handler_->handleError(SocketErrorWrite, socketErrorCode(error) == SocketErrorConnectionAborted
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
    u_long count = 0;
    return ::ioctlsocket(handleOf(socket_), FIONREAD, &count) == 0 ? static_cast<int>(count) : -1;
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
