#pragma once

#include "tessaly/core/String.h"
#include "tessaly/core/WideString.h"

namespace tessaly::text {

// Converts between wide text and one multibyte encoding. For both
// directions a null text or n = 0 gives an empty result, and n < 0 means
// "up to the terminator"; a zero inside the first n units ends the text.
class TextEncoding {
public:
    virtual ~TextEncoding() = default;
    virtual core::WideString convertToUnicode(const char* s, int n) = 0;
    virtual core::String convertFromUnicode(const wchar_t* s, int n) = 0;

protected:
    TextEncoding() = default;
};

} // namespace tessaly::text
