#pragma once

namespace tessaly::network {

class SocketSentObject;
class TcpSocketServer;

// Receives a server's events. connected, readyToRead and closed run under
// the connection's receive lock, sendCompleted and sendFailed under its send
// lock: a handler may call sendTo from readyToRead, but not from
// sendCompleted or sendFailed.
class TcpSocketServerHandler {
public:
    virtual ~TcpSocketServerHandler() = default;
    virtual void setTcpSocketServer(TcpSocketServer* server) { server_ = server; }
    // Called by the server's destructor when the server owns the handler.
    virtual void release() = 0;
    // data is valid only during the call; length >= 1.
    virtual void readyToRead(unsigned, const char*, unsigned) {}
    virtual void sendCompleted(unsigned, SocketSentObject*) {}
    // The object's failed flag is set.
    virtual void sendFailed(unsigned, SocketSentObject*) {}
    virtual void closed(unsigned) {}
    // address in network byte order, port in host order.
    virtual void connected(unsigned, unsigned, unsigned short) {}

protected:
    TcpSocketServer* server_ = nullptr;
};

} // namespace tessaly::network
