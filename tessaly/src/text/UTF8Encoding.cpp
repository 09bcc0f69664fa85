#include "tessaly/text/UTF8Encoding.h"

#include <cstring>
#include <cwchar>
#include <string>

namespace tessaly::text {

using core::String;
using core::WideString;

namespace {

constexpr wchar_t kReplacement = 0xFFFD;

template <class C>
std::size_t effectiveLength(const C* s, int n)
{
    std::size_t len = 0;
    while ((n < 0 || len < static_cast<std::size_t>(n)) && s[len] != 0)
        ++len;
    return len;
}

void encodeUnit(std::string& out, std::uint32_t u)
{
    if (u > 0x10FFFF)
        u = kReplacement;
    if (u < 0x80) {
        out += static_cast<char>(u);
    } else if (u < 0x800) {
        out += static_cast<char>(0xC0 | (u >> 6));
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else if (u < 0x10000) {
        out += static_cast<char>(0xE0 | (u >> 12));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (u >> 18));
        out += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    }
}

} // namespace

String UTF8Encoding::convertFromUnicode(const wchar_t* s, int n)
{
    if (!s || n == 0)
        return String();
    const std::size_t len = effectiveLength(s, n);
    std::string out;
    out.reserve(len * 4 + 2);
    for (std::size_t i = 0; i < len; ++i)
        encodeUnit(out, static_cast<std::uint32_t>(s[i]));
    return String(out.data(), static_cast<int>(out.size()));
}

WideString UTF8Encoding::convertToUnicode(const char* s, int n)
{
    if (!s || n == 0)
        return WideString();
    const std::size_t len = effectiveLength(s, n);
    if (len == 0)
        return WideString();
    const unsigned char* b = reinterpret_cast<const unsigned char*>(s);
    // Never more units than bytes: decode straight into the text's own buffer.
    auto* out = new wchar_t[len + 1];
    std::size_t o = 0;
    static constexpr std::uint32_t kMinimum[4] = {0, 0x80, 0x800, 0x10000};
    std::size_t i = 0;
    while (i < len) {
        const unsigned char lead = b[i++];
        if (lead < 0x80) {
            out[o++] = static_cast<wchar_t>(lead);
            continue;
        }
        int more;
        std::uint32_t value;
        if ((lead & 0xE0) == 0xC0) {
            more = 1;
            value = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            more = 2;
            value = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            more = 3;
            value = lead & 0x07;
        } else {
            // A stray continuation byte or a lead byte no valid text has.
            out[o++] = kReplacement;
            continue;
        }
        int gathered = 0;
        while (gathered < more && i < len && (b[i] & 0xC0) == 0x80) {
            value = (value << 6) | (b[i] & 0x3F);
            ++i;
            ++gathered;
        }
        if (gathered < more) {
            // Cut off by the end of the input: dropped; broken early: marked.
            if (i < len)
                out[o++] = kReplacement;
            continue;
        }
        out[o++] = value < kMinimum[more] || value > 0x10FFFF ? kReplacement : static_cast<wchar_t>(value);
    }
    out[o] = 0;
    if (o == 0) {
        delete[] out;
        return WideString();
    }
    // Mostly multi-byte text would leave most of the buffer unused: copy it down.
    if (o * 2 < len) {
        WideString compact(out, static_cast<int>(o));
        delete[] out;
        return compact;
    }
    return WideString::attach(out, static_cast<unsigned>(len + 1), static_cast<int>(o));
}

} // namespace tessaly::text
