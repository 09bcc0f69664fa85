#pragma once
#include <mysql.h>

// Shuts a connection's socket down (without closing it), so a read or write
// blocked on it returns with an error at once. The descriptor stays valid
// until its owner closes it.
void wakeBlockedSocket(my_socket socket);
