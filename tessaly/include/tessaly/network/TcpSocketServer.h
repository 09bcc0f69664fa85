#pragma once

#include "tessaly/core/String.h"

namespace tessaly::network {

class SocketSentObject;

// A TCP server for many clients; made by SocketServerManager. Each
// connection is known by a non-zero 32-bit id code: its slot in the upper
// 12 bits, a running count of accepted connections in the lower 20. So the
// id of a closed connection comes back only after 2^20 - 1 more accepts, and
// until then calls with it find no connection.
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
    // false the object stays the caller's. Safe from any thread, also during
    // and after stop() (false then). A send beyond the connection's byte
    // limit (TcpServerLimits) closes the connection and returns false.
    virtual bool sendTo(unsigned idCode, SocketSentObject* object) = 0;
    // Closes the connection soon, also in the middle of a send: the objects
    // not yet sent go back as failed, then the handler hears closed().
    // Further sendTo calls for it return false at once.
    virtual void closeClient(unsigned idCode) = 0;
    virtual unsigned clientsCount() const = 0;
    virtual unsigned maxConnectionCount() const = 0;
    virtual core::String stats() = 0;
};

} // namespace tessaly::network
