#include "core/internal/TextCodec.h"

#include <windows.h>

#include <cctype>
#include <cstdlib>
#include <string>

namespace tessaly::core::internal {

namespace {

std::string upper(const char* name)
{
    std::string s = name ? name : "";
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// The Windows code page for a charset name; 0 when there is none.
UINT codePageOf(const char* charset)
{
    const std::string n = upper(charset);
    if (n == "UTF-8" || n == "UTF8")
        return CP_UTF8;
    if (n == "GBK" || n == "GB2312" || n == "CP936" || n == "EUC-CN")
        return 936;
    if (n == "GB18030")
        return 54936;
    if (n == "BIG5")
        return 950;
    if (n == "SHIFT_JIS" || n == "SJIS")
        return 932;
    if (n == "ISO-8859-1" || n == "LATIN1")
        return 28591;
    if (n == "ASCII" || n == "US-ASCII" || n == "ANSI_X3.4-1968")
        return 20127;
    if (n.rfind("CP", 0) == 0 && n.size() > 2)
        return static_cast<UINT>(std::strtoul(n.c_str() + 2, nullptr, 10));
    if (n.rfind("WINDOWS-", 0) == 0)
        return static_cast<UINT>(std::strtoul(n.c_str() + 8, nullptr, 10));
    return 0;
}

} // namespace

std::wstring decodeText(const char* bytes, std::size_t n, const char* charset)
{
    const UINT cp = codePageOf(charset);
    if (!bytes || n == 0 || cp == 0)
        return {};
    // Without MB_ERR_INVALID_CHARS undecodable bytes become U+FFFD (UTF-8)
    // or the code page's default character instead of failing the call.
    const int count = MultiByteToWideChar(cp, 0, bytes, static_cast<int>(n), nullptr, 0);
    if (count <= 0)
        return {};
    std::wstring out(static_cast<std::size_t>(count), L'\0');
    MultiByteToWideChar(cp, 0, bytes, static_cast<int>(n), out.data(), count);
    return out;
}

std::string encodeText(const wchar_t* text, std::size_t n, const char* charset)
{
    const UINT cp = codePageOf(charset);
    if (!text || n == 0 || cp == 0)
        return {};
    // UTF-8 takes no default character; others write '?' for what they lack.
    const char* fallback = cp == CP_UTF8 ? nullptr : "?";
    const int count = WideCharToMultiByte(cp, 0, text, static_cast<int>(n), nullptr, 0, fallback, nullptr);
    if (count <= 0)
        return {};
    std::string out(static_cast<std::size_t>(count), '\0');
    WideCharToMultiByte(cp, 0, text, static_cast<int>(n), out.data(), count, fallback, nullptr);
    return out;
}

const char* userCharset()
{
    // The process's ANSI code page, as the wide/multibyte conversions of the
    // platform use it.
    static const std::string name = "CP" + std::to_string(GetACP());
    return name.c_str();
}

} // namespace tessaly::core::internal
