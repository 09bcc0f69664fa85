#pragma once

#include "tessaly/text/TextEncoding.h"

namespace tessaly::text {

// UTF-8, one wide unit at a time.
//
// Encoding: below 0x80 one byte, below 0x800 two, below 0x10000 three
// (surrogate units too, each on its own, so text that came from 16-bit
// units goes back unchanged), up to 0x10FFFF four; anything above is
// written as U+FFFD.
//
// Decoding: a lead byte announces as many continuation bytes as it has
// further leading one-bits. Sequences that cannot be trusted become one
// U+FFFD each: a stray continuation byte, a lead byte 0xF8-0xFF, an
// overlong form, a value above 0x10FFFF, and a sequence broken by a byte
// that is not a continuation (that byte then starts afresh). A sequence cut
// off by the end of the input is dropped.
class UTF8Encoding : public TextEncoding {
public:
    core::WideString convertToUnicode(const char* s, int n) override;
    core::String convertFromUnicode(const wchar_t* s, int n) override;
};

} // namespace tessaly::text
