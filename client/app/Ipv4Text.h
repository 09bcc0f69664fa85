// The dotted form of an IPv4 address, as the settings hold it.
#pragma once

#include <array>
#include <optional>
#include <string_view>

// "a.b.c.d": exactly four decimal numbers 0..255, without signs, blanks or
// leading zeros (so the text is the one the fields would show); none for
// anything else.
std::optional<std::array<int, 4>> parseDottedIpv4(std::string_view text);
