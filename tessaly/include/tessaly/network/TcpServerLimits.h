#pragma once

#include <cstddef>

namespace tessaly::network {

// What a server connection may hold before the server gives up on its peer.
// A peer that stops reading would otherwise keep its slot and everything
// queued for it forever. A connection over either limit is closed as any
// failed connection is: its unsent objects are handed back as failed
// (sendFailed, or release() when they need no signal), then closed().
struct TcpServerLimits {
    static constexpr std::size_t _defaultMaxQueuedBytes = std::size_t(64) << 20;
    static constexpr int _defaultWriteTimeout = 30000;

    // Bytes accepted by sendTo and not yet handed to the system. A sendTo
    // that would go beyond them closes the connection and returns false (the
    // object stays the caller's); one object is always taken when nothing
    // is waiting, whatever its size. 0 means the default.
    std::size_t maxQueuedBytes = _defaultMaxQueuedBytes;
    // Milliseconds that bytes may wait without any of them going out. 0 or
    // less means the default.
    int writeTimeout = _defaultWriteTimeout;
};

} // namespace tessaly::network
