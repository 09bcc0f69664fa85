#pragma once

#include "tessaly/network/TcpServerLimits.h"

namespace tessaly::network {

class TcpSocketServer;
class TcpSocketServerHandler;

// Makes the servers. The first get() loads the socket library.
class SocketServerManager {
public:
    static SocketServerManager* get();
    // Unloads the socket library and deletes the manager.
    static void release();

    // A new server, not started, for at most min(maxConnections, 4 096)
    // clients. With ownsHandler the server calls handler->release() when
    // it is destroyed.
    TcpSocketServer* getTcpSocketServer(unsigned maxConnections, TcpSocketServerHandler* handler, bool ownsHandler);
    // The same with limits other than the defaults for every connection.
    TcpSocketServer* getTcpSocketServer(unsigned maxConnections, TcpSocketServerHandler* handler, bool ownsHandler,
                                        const TcpServerLimits& limits);
    // Stops and deletes it; null is ignored.
    void releaseTcpSocketServer(TcpSocketServer* server);

private:
    SocketServerManager();
    ~SocketServerManager();

    static SocketServerManager* _svrMgr;
};

} // namespace tessaly::network
