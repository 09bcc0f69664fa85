#include "tessaly/core/WideString.h"

#include <cstdlib>
#include <string>

#include "core/internal/BasicTextImpl.h"
#include "core/internal/TextCodec.h"
#include "tessaly/text/UTF8Encoding.h"

namespace tessaly::core {

template class BasicText<wchar_t, WideString>;

WideString::InnerRefCountedWideString* const WideString::_emptySmartText = nullptr;

namespace {

std::size_t clampCount(const char* s, int n)
{
    const std::size_t l = s ? std::strlen(s) : 0;
    return (n < 0 || static_cast<std::size_t>(n) > l) ? l : static_cast<std::size_t>(n);
}

std::size_t clampCount(const wchar_t* s, int n)
{
    const std::size_t l = s ? std::wcslen(s) : 0;
    return (n < 0 || static_cast<std::size_t>(n) > l) ? l : static_cast<std::size_t>(n);
}

} // namespace

WideString::WideString(const char* s, int n)
{
    const std::wstring w = internal::decodeText(s, clampCount(s, n), internal::userCharset());
    assign(w.data(), static_cast<unsigned>(w.size()));
}

int WideString::copyToBuffer(char* buf, int size) const
{
    if (isEmpty() || !buf || size < 1)
        return 0;
    // Convert a bounded copy so that at most min(size - 1, length) characters are taken.
    const std::size_t chars = std::min<std::size_t>(static_cast<std::size_t>(size - 1), length());
    std::wstring part(text(), chars);
    const std::size_t n = std::wcstombs(buf, part.c_str(), static_cast<std::size_t>(size - 1));
    if (n == static_cast<std::size_t>(-1)) {
        buf[0] = 0;
        return 0;
    }
    buf[n] = 0;
    return static_cast<int>(n);
}

unsigned WideString::hashCode() const
{
    // Over UTF-16 code units, as on a system with a 16-bit wchar_t.
    unsigned h = 0;
    for (unsigned i = 0; i < length(); ++i) {
        const unsigned c = static_cast<unsigned>(text()[i]);
        if (c > 0xFFFF && c <= 0x10FFFF) {
            const unsigned v = c - 0x10000;
            h = (h * 16777619u) ^ (0xD800u + (v >> 10));
            h = (h * 16777619u) ^ (0xDC00u + (v & 0x3FF));
        } else {
            h = (h * 16777619u) ^ (c & 0xFFFF);
        }
    }
    return h;
}

String WideString::toUTF8() const
{
    return toUTF8(text(), static_cast<int>(length()));
}

// Both directions go through UTF8Encoding, so text converted either way
// gives the same bytes and units as the encoding object does (lone
// surrogates, cut-off and broken sequences included).
String WideString::toUTF8(const wchar_t* s, int n)
{
    return text::UTF8Encoding().convertFromUnicode(s, n);
}

WideString WideString::fromUTF8(const char* s, int n)
{
    return text::UTF8Encoding().convertToUnicode(s, n);
}

String WideString::toASCII() const
{
    return toASCII(text(), static_cast<int>(length()));
}

String WideString::toASCII(const wchar_t* s, int n)
{
    const std::string bytes = internal::encodeText(s, clampCount(s, n), internal::userCharset());
    return String(bytes.c_str(), static_cast<int>(bytes.size()));
}

WideString operator+(const wchar_t* s, const WideString& t)
{
    WideString r(s);
    r += t;
    return r;
}

WideString operator+(wchar_t c, const WideString& t)
{
    WideString r(c);
    r += t;
    return r;
}

} // namespace tessaly::core
