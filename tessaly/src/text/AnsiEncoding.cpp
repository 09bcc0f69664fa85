#include "tessaly/text/AnsiEncoding.h"

#include <string>

#include "core/internal/TextCodec.h"

namespace tessaly::text {

using core::String;
using core::WideString;

namespace {

template <class C>
std::size_t effectiveLength(const C* s, int n)
{
    std::size_t len = 0;
    while ((n < 0 || len < static_cast<std::size_t>(n)) && s[len] != 0)
        ++len;
    return len;
}

} // namespace

WideString AnsiEncoding::convertToUnicode(const char* s, int n)
{
    if (!s || n == 0)
        return WideString();
    const std::wstring w = core::internal::decodeText(s, effectiveLength(s, n), core::internal::userCharset());
    return WideString(w.data(), static_cast<int>(w.size()));
}

String AnsiEncoding::convertFromUnicode(const wchar_t* s, int n)
{
    if (!s || n == 0)
        return String();
    const std::string b = core::internal::encodeText(s, effectiveLength(s, n), core::internal::userCharset());
    return String(b.data(), static_cast<int>(b.size()));
}

} // namespace tessaly::text
