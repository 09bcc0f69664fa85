// Conversion goes through iconv with one converter pair per thread (a
// converter keeps state and must not be shared between threads).
//
// Replacement rule: conversion never stops at a bad byte. Where the input
// holds something the target cannot take, one replacement stands for it
// and conversion carries on right after it:
// - GBK -> UTF-8: U+FFFD for an unmapped two-byte code (both bytes taken),
//   or for a lone byte that cannot start or continue a code (that byte
//   only, so an ASCII byte after a broken lead byte survives);
// - UTF-8 -> GBK: '?' for a well-formed character GBK does not have (the
//   whole character taken), or for each byte of malformed UTF-8.
#include "app/TextCodec.h"

#include <cerrno>
#include <iconv.h>

namespace {

constexpr std::string_view kUtf8Replacement = "\xEF\xBF\xBD";
constexpr std::string_view kGbkReplacement = "?";

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter()
    {
        if (valid())
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }

private:
    iconv_t cd_;
};

bool isGbkTrail(unsigned char c)
{
    return c >= 0x40 && c <= 0xFE && c != 0x7F;
}

// Bytes of GBK input that one replacement stands for.
std::size_t gbkBadLength(const unsigned char* p, std::size_t left)
{
    if (left >= 2 && p[0] >= 0x81 && p[0] <= 0xFE && isGbkTrail(p[1]))
        return 2;
    return 1;
}

// Bytes of UTF-8 input that one replacement stands for.
std::size_t utf8BadLength(const unsigned char* p, std::size_t left)
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

using BadLength = std::size_t (*)(const unsigned char*, std::size_t);

std::string convert(const Converter& converter, std::string_view in, std::string_view replacement,
                    BadLength badLength)
{
    std::string out;
    if (in.empty())
        return out;
    if (!converter.valid()) {
        // No converter on this system: keep ASCII, replace the rest.
        for (unsigned char c : in)
            out += c < 0x80 ? std::string_view(reinterpret_cast<const char*>(&c), 1) : replacement;
        return out;
    }

    iconv_t cd = converter.get();
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    out.resize(in.size() * 2 + 16);
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    std::size_t used = 0;
    while (srcLeft > 0) {
        char* dst = out.data() + used;
        std::size_t dstLeft = out.size() - used;
        std::size_t result = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        used = static_cast<std::size_t>(dst - out.data());
        if (result != static_cast<std::size_t>(-1))
            break;
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
            continue;
        }
        // EILSEQ (bad or unmapped sequence) or EINVAL (cut off at the end).
        std::size_t skip = badLength(reinterpret_cast<const unsigned char*>(src), srcLeft);
        if (out.size() - used < replacement.size())
            out.resize(out.size() * 2 + replacement.size());
        out.replace(used, replacement.size(), replacement);
        used += replacement.size();
        src += skip;
        srcLeft -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(used);
    return out;
}

} // namespace

std::string gbkToUtf8(std::string_view gbk)
{
    try {
        thread_local Converter converter("UTF-8", "GBK");
        return convert(converter, gbk, kUtf8Replacement, gbkBadLength);
    } catch (...) {
        return {};
    }
}

std::string utf8ToGbk(std::string_view utf8)
{
    try {
        thread_local Converter converter("GBK", "UTF-8");
        return convert(converter, utf8, kGbkReplacement, utf8BadLength);
    } catch (...) {
        return {};
    }
}
