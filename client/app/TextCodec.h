// The one conversion between the database's GBK bytes and the UTF-8 text
// of XML files and the window toolkit. Never throws; bytes that cannot be
// converted are replaced (see TextCodec.cpp) so a result is always usable.
#pragma once

#include <string>
#include <string_view>

// GBK bytes -> UTF-8. An invalid or truncated GBK sequence becomes U+FFFD.
std::string gbkToUtf8(std::string_view gbk);

// UTF-8 -> GBK bytes. Invalid UTF-8 and characters GBK cannot hold become '?'.
std::string utf8ToGbk(std::string_view utf8);
