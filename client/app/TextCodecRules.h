// The replacement rule shared by the platforms' converters.
//
// Replacement rule: conversion never stops at a bad byte. Where the input
// holds something the target cannot take, one replacement stands for it
// and conversion carries on right after it:
// - GBK -> UTF-8: U+FFFD for an unmapped two-byte code (both bytes taken),
//   or for a lone byte that cannot start or continue a code (that byte
//   only, so an ASCII byte after a broken lead byte survives);
// - UTF-8 -> GBK: '?' for a well-formed character GBK does not have (the
//   whole character taken), or for each byte of malformed UTF-8.
#pragma once

#include <cstddef>
#include <string_view>

namespace textcodec {

inline constexpr std::string_view kUtf8Replacement = "\xEF\xBF\xBD";
inline constexpr std::string_view kGbkReplacement = "?";

inline bool isGbkTrail(unsigned char c)
{
    return c >= 0x40 && c <= 0xFE && c != 0x7F;
}

// Bytes of GBK input that one replacement stands for.
inline std::size_t gbkBadLength(const unsigned char* p, std::size_t left)
{
    if (left >= 2 && p[0] >= 0x81 && p[0] <= 0xFE && isGbkTrail(p[1]))
        return 2;
    return 1;
}

// Bytes of UTF-8 input that one replacement stands for.
inline std::size_t utf8BadLength(const unsigned char* p, std::size_t left)
{
    std::size_t length = 0;
    if (p[0] >= 0xC2 && p[0] <= 0xDF)
        length = 2;
    else if (p[0] >= 0xE0 && p[0] <= 0xEF)
        length = 3;
    else if (p[0] >= 0xF0 && p[0] <= 0xF4)
        length = 4;
    if (length == 0 || length > left)
        return 1;
    for (std::size_t i = 1; i < length; ++i)
        if ((p[i] & 0xC0) != 0x80)
            return 1;
    return length;
}

} // namespace textcodec
