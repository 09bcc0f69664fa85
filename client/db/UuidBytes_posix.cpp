#include "db/UuidBytes.h"

#include <cstring>

#include <uuid/uuid.h>

bool newRandomUuid(unsigned char (&bytes)[16])
{
    // uuid_t already holds the fields in network order.
    uuid_t uuid;
    uuid_generate_random(uuid);
    static_assert(sizeof(uuid_t) == sizeof bytes);
    std::memcpy(bytes, uuid, sizeof bytes);
    return true;
}
