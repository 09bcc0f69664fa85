#include "tessaly/network/SocketServerManager.h"

#include <mutex>

#ifdef _WIN32
#include "network/TcpWindowsSocketServer.h"
#else
#include "network/TcpEpollSocketServer.h"
#endif
#include "tessaly/network/SocketLibrary.h"
#include "tessaly/network/TcpSocketServerHandler.h"

namespace tessaly::network {

SocketServerManager* SocketServerManager::_svrMgr = nullptr;

SocketServerManager::SocketServerManager()
{
    loadSocketLibrary();
}

SocketServerManager::~SocketServerManager() = default;

SocketServerManager* SocketServerManager::get()
{
    static std::mutex lock;
    std::lock_guard<std::mutex> guard(lock);
    if (!_svrMgr)
        _svrMgr = new SocketServerManager;
    return _svrMgr;
}

void SocketServerManager::release()
{
    if (!_svrMgr)
        return;
    unloadSocketLibrary();
    delete _svrMgr;
    _svrMgr = nullptr;
}

TcpSocketServer* SocketServerManager::getTcpSocketServer(unsigned maxConnections, TcpSocketServerHandler* handler,
                                                         bool ownsHandler)
{
    return getTcpSocketServer(maxConnections, handler, ownsHandler, TcpServerLimits());
}

TcpSocketServer* SocketServerManager::getTcpSocketServer(unsigned maxConnections, TcpSocketServerHandler* handler,
                                                         bool ownsHandler, const TcpServerLimits& limits)
{
    if (!handler)
        return nullptr;
#ifdef _WIN32
    auto* server = new TcpWindowsSocketServer(maxConnections, handler, ownsHandler, limits);
#else
    auto* server = new TcpEpollSocketServer(maxConnections, handler, ownsHandler, limits);
#endif
    handler->setTcpSocketServer(server);
    return server;
}

void SocketServerManager::releaseTcpSocketServer(TcpSocketServer* server)
{
    delete server;
}

} // namespace tessaly::network
