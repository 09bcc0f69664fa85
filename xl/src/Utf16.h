// UTF-8 to UTF-16 conversion for cell text and sheet names.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace xl::detail {

// Null when the input is not well-formed UTF-8 (overlong forms, surrogates
// and values above U+10FFFF are rejected). Characters beyond the BMP become
// surrogate pairs, as the file format stores them.
std::optional<std::u16string> utf8ToUtf16(std::string_view utf8);

} // namespace xl::detail
