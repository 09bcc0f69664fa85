#pragma once

#include <cstddef>
#include <string>

namespace tessaly::core::internal {

// Conversions between wide text and multibyte charsets for String and
// WideString. Undecodable input becomes U+FFFD (wide) or '?' (narrow)
// instead of ending the text. The charset names are those of iconv.
std::wstring decodeText(const char* bytes, std::size_t n, const char* charset);
std::string encodeText(const wchar_t* text, std::size_t n, const char* charset);

// Charset of the user's default locale (LANG/LC_*), e.g. "UTF-8".
const char* userCharset();

} // namespace tessaly::core::internal
