#pragma once

#include "tessaly/core/String.h"
#include "tessaly/network/SocketError.h"

namespace tessaly::network {

class SocketHandlerBase;
class SocketInputStream;
class SocketOutputStream;

// A TCP client connection with non-blocking reads and writes. Connected
// sockets are watched by the process-wide TcpSocketNotifier (when the
// socket library is loaded) and their handler is told when data arrives.
class TcpSocket {
public:
    static constexpr int _defaultConnectTimeout = 2000;
    static constexpr int _sendPieceSize = 4096;
    static constexpr int _bufferSize = 4096;

    TcpSocket();
    virtual ~TcpSocket();
    TcpSocket(const TcpSocket&) = delete;
    TcpSocket& operator=(const TcpSocket&) = delete;

    // True at once when already connected to the same host text and port;
    // connected elsewhere, closes first. A negative time-out waits without limit.
    bool connect(const core::String& host, int port, int timeout);
    bool connect(const char* host, int port);
    void close();

    // One receive of up to n bytes: the count, 0 when the peer closed, -1
    // when not connected, on an error, or when nothing is there yet.
    int read(void* buffer, int n);
    // Sends all n bytes in pieces of at most 4 096, waiting at most timeout
    // ms in total (negative: no limit) while the peer is not taking them.
    // Returns n, the count sent when the time ran out, or -1 on an error.
    int write(const void* buffer, int n, int timeout);
    // Bytes readable without blocking; -1 when not connected or on failure.
    int availableReadBytes() const;

    void setSocketHandler(SocketHandlerBase* handler) { handler_ = handler; }
    SocketHandlerBase* getSocketHandler() const { return handler_; }
    void setInvalid() { socket_ = -1; }
    bool isInvalid() const { return socket_ < 0; }
    bool isConnected() const { return connected_; }
    const core::String& getPeerName() const { return peerName_; }
    int getPeerPort() const { return peerPort_; }
    // Made on first request, owned by the socket.
    SocketInputStream* getSocketInputStream();
    SocketOutputStream* getSocketOutputStream();

    // Set by the notifier when the peer has closed.
    bool isEndOfInput() const { return endOfInput_; }
    void setEndOfInput(bool value) { endOfInput_ = value; }
    int getHandle() const { return socket_; }

protected:
    bool connectSocket(int timeout);
    bool waitForConnected(int timeout);
    void setOptions();
    void setBlocking(bool blocking);
    // One send call of up to n bytes (a piece of a write); the platform's
    // result. Tests observe the pieces through it.
    virtual int sendPiece(const char* data, int n);

private:
    void reportError(SocketErrorAction action, int error);
    void closeHandle();

    bool connected_ = false;
    SocketHandlerBase* handler_ = nullptr;
    core::String peerName_;
    int peerPort_ = 0;
    int socket_ = -1;
    SocketInputStream* input_ = nullptr;
    SocketOutputStream* output_ = nullptr;
    bool endOfInput_ = false;
};

// The code of the error table for a platform error number.
SocketErrorCode socketErrorCode(int error);

} // namespace tessaly::network
