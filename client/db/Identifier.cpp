#include "db/Identifier.h"

#include <algorithm>
#include <cstdio>

#include <uuid/uuid.h>

std::string newIdentifierText()
{
    uuid_t uuid;
    uuid_generate(uuid);
    if (std::all_of(uuid, uuid + sizeof(uuid_t), [](unsigned char b) { return b == 0; }))
        return {};
    // uuid_t holds the fields in network order, so the bytes in order are
    // the first 32-bit field, the two 16-bit fields and the eight bytes.
    char text[33];
    for (std::size_t i = 0; i < sizeof(uuid_t); ++i)
        std::snprintf(text + 2 * i, 3, "%02x", uuid[i]);
    return std::string(text, 32);
}
