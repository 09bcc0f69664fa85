#include "SocketBreak.h"

#include <winsock2.h>

// The library's socket descriptors are Winsock handles here.
void breakSocket(int fd) {
    if (fd >= 0) ::shutdown(static_cast<SOCKET>(static_cast<unsigned>(fd)), SD_BOTH);
}
