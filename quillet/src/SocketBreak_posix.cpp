#include "SocketBreak.h"

#include <sys/socket.h>

void breakSocket(int fd) {
    if (fd >= 0) ::shutdown(fd, SHUT_RDWR);
}
