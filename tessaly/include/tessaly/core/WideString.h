#pragma once

#include <cstddef>

#include "tessaly/core/BasicText.h"
#include "tessaly/core/String.h"

namespace tessaly::core {

// Wide text in the platform's wchar_t: UTF-32 code points here. Hash values
// are computed over the UTF-16 form of the text, so they match those of a
// 16-bit wchar_t system; lengths count wchar_t units.
class WideString : public BasicText<wchar_t, WideString> {
public:
    using InnerRefCountedWideString = InnerRefCountedText<wchar_t>;
    using BasicText::BasicText;
    using BasicText::operator=;
    using BasicText::copyToBuffer;
    using BasicText::toUpperCase;
    using BasicText::toLowerCase;
    using BasicText::matchesWildcard;

    WideString() = default;
    WideString(const WideString&) = default;
    WideString& operator=(const WideString&) = default;
    // The first n bytes (all when n < 0 or beyond the text) in the user's
    // multibyte code page.
    WideString(const char* s, int n);

    // Converts with wcstombs in the current locale, at most
    // min(size - 1, length) characters; returns the byte count.
    int copyToBuffer(char* buf, int size) const;

    unsigned hashCode() const;

    String toUTF8() const;
    static String toUTF8(const wchar_t* s, int n = -1);
    static WideString fromUTF8(const char* s, int n = -1);
    String toASCII() const;
    static String toASCII(const wchar_t* s, int n = -1);

    static InnerRefCountedWideString* const _emptySmartText;
};

WideString operator+(const wchar_t* s, const WideString& t);
WideString operator+(wchar_t c, const WideString& t);

struct WideStringHash {
    std::size_t operator()(const WideString& s) const { return s.hashCode(); }
};

} // namespace tessaly::core
