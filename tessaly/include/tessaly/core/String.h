#pragma once

#include <cstddef>

#include "tessaly/core/BasicText.h"

namespace tessaly::core {

// Text of 8-bit characters in the process's multibyte code page, held in a
// shared copy-on-write buffer: copies cost one atomic increment.
class String : public BasicText<char, String> {
public:
    using InnerRefCountedString = InnerRefCountedText<char>;
    using BasicText::BasicText;
    using BasicText::operator=;
    using BasicText::copyToBuffer;
    using BasicText::toUpperCase;
    using BasicText::toLowerCase;
    using BasicText::matchesWildcard;

    String() = default;
    String(const String&) = default;
    String& operator=(const String&) = default;

    // Converts at most min(size - 1, length) characters with mbstowcs in
    // the current locale; returns the number of wide characters written.
    int copyToBuffer(wchar_t* buf, int size) const;

    // The empty text: no buffer at all.
    static InnerRefCountedString* const _emptySmartText;
};

String operator+(const char* s, const String& t);
String operator+(char c, const String& t);

struct StringHash {
    std::size_t operator()(const String& s) const { return s.hashCode(); }
};

} // namespace tessaly::core
