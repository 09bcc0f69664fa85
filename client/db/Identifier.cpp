#include "db/Identifier.h"
#include "db/UuidBytes.h"

#include <algorithm>
#include <cstdio>

std::string newIdentifierText()
{
    unsigned char uuid[16];
    if (!newRandomUuid(uuid) || std::all_of(uuid, uuid + sizeof uuid, [](unsigned char b) { return b == 0; }))
        return {};
    char text[33];
    for (std::size_t i = 0; i < sizeof uuid; ++i)
        std::snprintf(text + 2 * i, 3, "%02x", uuid[i]);
    return std::string(text, 32);
}
