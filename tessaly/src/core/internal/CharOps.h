#pragma once

#include <cctype>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <cwctype>

#include "tessaly/core/Types.h"

namespace tessaly::core::internal {

// The narrow and wide C library functions behind the shared text code.
template <class C>
struct CharOps;

template <>
struct CharOps<char> {
    using Unsigned = unsigned char;
    static std::size_t len(const char* s) { return std::strlen(s); }
    static char upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }
    static char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }
    static bool alpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    static bool digit(char c) { return c >= '0' && c <= '9'; }
    static int formatInt(char* buf, std::size_t n, int v) { return std::snprintf(buf, n, "%d", v); }
    static int formatInt64(char* buf, std::size_t n, int64 v) { return std::snprintf(buf, n, "%lld", static_cast<long long>(v)); }
    static int formatDouble(char* buf, std::size_t n, double v) { return std::snprintf(buf, n, "%.2f", v); }
    static int formatHex(char* buf, std::size_t n, unsigned long long v) { return std::snprintf(buf, n, "%llx", v); }
    static int scanFloat(const char* s, float* f) { return std::sscanf(s, "%f", f); }
};

template <>
struct CharOps<wchar_t> {
    using Unsigned = std::make_unsigned_t<wchar_t>;
    static std::size_t len(const wchar_t* s) { return std::wcslen(s); }
    static wchar_t upper(wchar_t c) { return static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c))); }
    static wchar_t lower(wchar_t c) { return static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c))); }
    static bool alpha(wchar_t c) { return std::iswalpha(static_cast<wint_t>(c)) != 0; }
    static bool digit(wchar_t c) { return std::iswdigit(static_cast<wint_t>(c)) != 0; }
    static int formatInt(wchar_t* buf, std::size_t n, int v) { return std::swprintf(buf, n, L"%d", v); }
    static int formatInt64(wchar_t* buf, std::size_t n, int64 v) { return std::swprintf(buf, n, L"%lld", static_cast<long long>(v)); }
    static int formatDouble(wchar_t* buf, std::size_t n, double v) { return std::swprintf(buf, n, L"%.2f", v); }
    static int formatHex(wchar_t* buf, std::size_t n, unsigned long long v) { return std::swprintf(buf, n, L"%llx", v); }
    static int scanFloat(const wchar_t* s, float* f) { return std::swscanf(s, L"%f", f); }
};

} // namespace tessaly::core::internal
