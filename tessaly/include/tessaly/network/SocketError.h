#pragma once

namespace tessaly::network {

enum SocketErrorAction { SocketErrorConnect = 0, SocketErrorRead = 1, SocketErrorWrite = 2 };

enum SocketErrorCode {
    SocketErrorOther = -1,
    SocketErrorConnectionRefused = 0,
    SocketErrorHostUnreachable = 2,
    SocketErrorAccessDenied = 3,
    SocketErrorTimedOut = 5,
    SocketErrorNetworkUnreachable = 6,
    SocketErrorConnectionAborted = 7, // aborted or reset by the peer
    SocketErrorAddressInUse = 10,
    SocketErrorAlreadyInProgress = 13
};

} // namespace tessaly::network
