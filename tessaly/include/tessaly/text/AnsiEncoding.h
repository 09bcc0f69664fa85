#pragma once

#include "tessaly/text/TextEncoding.h"

namespace tessaly::text {

// The user's multibyte code page (the charset of the locale named by
// LANG/LC_ALL/LC_CTYPE), the same one String and WideString convert with.
// Undecodable bytes become U+FFFD; characters the code page lacks become '?'.
class AnsiEncoding : public TextEncoding {
public:
    core::WideString convertToUnicode(const char* s, int n) override;
    core::String convertFromUnicode(const wchar_t* s, int n) override;
};

} // namespace tessaly::text
