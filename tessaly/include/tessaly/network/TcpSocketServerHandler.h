#pragma once

namespace tessaly::network {

class SocketSentObject;
class TcpSocketServer;

// Receives a server's events, on the server's own threads and with no
// server lock held. The callbacks of one connection never run at the same
// time; those of different connections may. A handler may call sendTo and
// closeClient from any callback, but never stop().
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
