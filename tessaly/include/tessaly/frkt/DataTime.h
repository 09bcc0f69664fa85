#pragma once

#include <cstdint>

namespace tessaly::frkt {

// Start time of a DUMPA download; month and day are zero-based as in Date.
struct DataTime {
    std::uint16_t year;
    std::uint8_t month;
    std::uint8_t day;
    std::uint8_t hour;
    std::uint8_t minute;
    std::uint8_t reserved[2];
};
static_assert(sizeof(DataTime) == 8, "DataTime is 8 bytes");

} // namespace tessaly::frkt
