#include "db/SocketWake.h"

#include <winsock2.h>

void wakeBlockedSocket(my_socket socket)
{
    if (socket != INVALID_SOCKET)
        ::shutdown(socket, SD_BOTH);
}
