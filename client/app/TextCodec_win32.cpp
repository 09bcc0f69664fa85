// Conversion through the system's code page 936 (GBK) and UTF-8 tables.
// Input is cut into runs that are well formed in structure; each run is
// converted in one call, and only a run the tables refuse is done again
// character by character, so the replacement rule of TextCodecRules.h
// holds exactly as with the other platforms' converter.
#include "app/TextCodec.h"
#include "app/TextCodecRules.h"

#include <windows.h>

#include <climits>

namespace {

using textcodec::isGbkTrail;
using textcodec::kGbkReplacement;
using textcodec::kUtf8Replacement;
using textcodec::utf8BadLength;

constexpr UINT kGbkCodePage = 936;

// Converts `length` bytes of code page `from` to UTF-16; false when the
// table has no mapping for some of them.
bool toWide(UINT from, const unsigned char* p, std::size_t length, std::wstring& wide)
{
    if (length > INT_MAX)
        return false;
    const char* text = reinterpret_cast<const char*>(p);
    const int n = MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, text, static_cast<int>(length), nullptr, 0);
    if (n <= 0)
        return false;
    wide.resize(static_cast<std::size_t>(n));
    return MultiByteToWideChar(from, MB_ERR_INVALID_CHARS, text, static_cast<int>(length), wide.data(), n) == n;
}

// Appends UTF-16 text in code page `to`; false when some character has no
// exact mapping there (nothing appended then).
bool appendFromWide(UINT to, const std::wstring& wide, std::string& out)
{
    if (wide.empty())
        return true;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultFlag = to == CP_UTF8 ? nullptr : &usedDefault;
    const DWORD flags = to == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int n = WideCharToMultiByte(to, flags, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                      usedDefaultFlag);
    if (n <= 0 || usedDefault)
        return false;
    const std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(n));
    WideCharToMultiByte(to, flags, wide.data(), static_cast<int>(wide.size()), out.data() + at, n, nullptr, nullptr);
    return true;
}

// The system's table gives GBK's user-defined areas (AAA1-AFFE, F8A1-FEFE,
// A140-A7A0) characters of the private use area; the GBK of the other
// platforms has no mapping for them. Both ways, such a character counts as
// unmapped, so a text converts the same everywhere.
bool hasPrivateUse(const std::wstring& wide)
{
    for (wchar_t c : wide)
        if (c >= 0xE000 && c <= 0xF8FF)
            return true;
    return false;
}

bool convertRun(UINT from, UINT to, const unsigned char* p, std::size_t length, std::string& out)
{
    std::wstring wide;
    return toWide(from, p, length, wide) && !hasPrivateUse(wide) && appendFromWide(to, wide, out);
}

// Length of the GBK unit at p: 1 for ASCII, 2 for a lead and trail byte,
// 0 for a byte that starts nothing.
std::size_t gbkUnitLength(const unsigned char* p, std::size_t left)
{
    if (p[0] < 0x80)
        return 1;
    if (p[0] >= 0x81 && p[0] <= 0xFE && left >= 2 && isGbkTrail(p[1]))
        return 2;
    return 0;
}

// Length of the well-formed UTF-8 character at p, 0 for a malformed byte.
std::size_t utf8UnitLength(const unsigned char* p, std::size_t left)
{
    if (p[0] < 0x80)
        return 1;
    const std::size_t length = utf8BadLength(p, left);
    return length > 1 ? length : 0;
}

using UnitLength = std::size_t (*)(const unsigned char*, std::size_t);

std::string convert(std::string_view in, UINT from, UINT to, UnitLength unitLength, std::string_view replacement)
{
    std::string out;
    out.reserve(in.size() + in.size() / 2 + 16);
    const auto* p = reinterpret_cast<const unsigned char*>(in.data());
    std::size_t left = in.size();
    while (left > 0) {
        std::size_t run = 0;
        for (std::size_t unit; run < left && (unit = unitLength(p + run, left - run)) != 0;)
            run += unit;
        if (run > 0 && !convertRun(from, to, p, run, out)) {
            // Some character of the run has no mapping: one at a time.
            for (std::size_t at = 0; at < run;) {
                const std::size_t unit = unitLength(p + at, run - at);
                if (!convertRun(from, to, p + at, unit, out))
                    out += replacement;
                at += unit;
            }
        }
        p += run;
        left -= run;
        if (left > 0) {
            out += replacement;  // a byte that starts no character
            ++p;
            --left;
        }
    }
    return out;
}

} // namespace

std::string gbkToUtf8(std::string_view gbk)
{
    try {
        return convert(gbk, kGbkCodePage, CP_UTF8, gbkUnitLength, kUtf8Replacement);
    } catch (...) {
        return {};
    }
}

std::string utf8ToGbk(std::string_view utf8)
{
    try {
        return convert(utf8, CP_UTF8, kGbkCodePage, utf8UnitLength, kGbkReplacement);
    } catch (...) {
        return {};
    }
}
