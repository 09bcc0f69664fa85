#include "db/UuidBytes.h"

#include <windows.h>
#include <rpc.h>

bool newRandomUuid(unsigned char (&bytes)[16])
{
    UUID uuid;
    if (UuidCreate(&uuid) != RPC_S_OK)
        return false;
    // The structure holds its three leading fields in the machine's order;
    // write them most significant byte first.
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<unsigned char>(uuid.Data1 >> (24 - 8 * i));
    bytes[4] = static_cast<unsigned char>(uuid.Data2 >> 8);
    bytes[5] = static_cast<unsigned char>(uuid.Data2);
    bytes[6] = static_cast<unsigned char>(uuid.Data3 >> 8);
    bytes[7] = static_cast<unsigned char>(uuid.Data3);
    for (int i = 0; i < 8; ++i)
        bytes[8 + i] = uuid.Data4[i];
    return true;
}
