#include "db/SocketWake.h"

#include <sys/socket.h>

void wakeBlockedSocket(my_socket socket)
{
    if (socket >= 0)
        ::shutdown(socket, SHUT_RDWR);
}
