// Small deterministic hashes: the demo site's identifiers and measurements
// depend only on the seed, never on the order they are made in.
#pragma once

#include <cstdint>
#include <string>

namespace demo {

// splitmix64: a small, well-mixed hash for deterministic identifiers.
inline std::uint64_t mix(std::uint64_t x)
{
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

// FNV-1a over the bytes of a text.
inline std::uint64_t hashText(const std::string& text)
{
    std::uint64_t h = 1469598103934665603ULL;
    for (unsigned char c : text)
        h = (h ^ c) * 1099511628211ULL;
    return h;
}

} // namespace demo
