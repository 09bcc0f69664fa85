#pragma once

#include "tessaly/network/SocketError.h"

namespace tessaly::network {

// Told about a TcpSocket's events. readyToRead runs on the notifier thread
// with the notifier's lock held; the handler may read from (or close, or
// delete) its socket there.
class SocketHandlerBase {
public:
    virtual ~SocketHandlerBase() = default;
    // count: bytes readable now, 0 when the peer has closed (reported
    // once), -1 when the count could not be queried.
    virtual void readyToRead(int count) = 0;
    virtual void handleError(SocketErrorAction action, SocketErrorCode code) = 0;
};

} // namespace tessaly::network
