#pragma once

#include "tessaly/core/String.h"

namespace tessaly::network {

class SocketSentObject;

// A TCP server for many clients; made by SocketServerManager. Each
// connection is known by a non-zero 32-bit id code.
class TcpSocketServer {
public:
    virtual ~TcpSocketServer() = default;
    // Listens on the dotted IPv4 address and port. On failure the reason is
    // copied into errorBuffer (truncated to size - 1 characters). True at
    // once when already started.
    virtual bool start(const char* address, unsigned short port, char* errorBuffer, unsigned errorSize) = 0;
    // Waits for the server's threads, so never from inside a handler callback.
    virtual void stop() = 0;
    // Queues the object behind those already sent to that connection. On
    // false the object stays the caller's.
    virtual bool sendTo(unsigned idCode, SocketSentObject* object) = 0;
    // Closes the connection once its current send has ended.
    virtual void closeClient(unsigned idCode) = 0;
    virtual unsigned clientsCount() const = 0;
    virtual unsigned maxConnectionCount() const = 0;
    virtual core::String stats() = 0;
};

} // namespace tessaly::network
