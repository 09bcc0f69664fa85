#include "core/internal/TextCodec.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <cerrno>
#include <string>

namespace tessaly::core::internal {

namespace {

// "WCHAR_T" is the platform's wchar_t (UTF-32 in host order here).
constexpr const char* kWide = "WCHAR_T";

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter()
    {
        if (ok())
            iconv_close(cd_);
    }
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }

private:
    iconv_t cd_;
};

// Runs the whole input through cd; on an invalid or incomplete sequence
// writes `bad` and skips one input unit of size `unit`.
std::string run(iconv_t cd, const char* in, std::size_t inLeft, std::size_t unit, const std::string& bad)
{
    std::string out;
    char buf[1024];
    char* src = const_cast<char*>(in);
    while (inLeft > 0) {
        char* dst = buf;
        std::size_t room = sizeof buf;
        const std::size_t rc = iconv(cd, &src, &inLeft, &dst, &room);
        out.append(buf, static_cast<std::size_t>(dst - buf));
        if (rc == static_cast<std::size_t>(-1)) {
            if (errno == E2BIG)
                continue;
            out += bad;
            const std::size_t skip = inLeft < unit ? inLeft : unit;
            src += skip;
            inLeft -= skip;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    char* dst = buf;
    std::size_t room = sizeof buf;
    iconv(cd, nullptr, nullptr, &dst, &room);
    out.append(buf, static_cast<std::size_t>(dst - buf));
    return out;
}

} // namespace

std::wstring decodeText(const char* bytes, std::size_t n, const char* charset)
{
    if (!bytes || n == 0)
        return {};
    Converter conv(kWide, charset);
    if (!conv.ok())
        return {};
    const wchar_t replacement = 0xFFFD;
    const std::string raw = run(conv.get(), bytes, n, 1,
                                std::string(reinterpret_cast<const char*>(&replacement), sizeof(wchar_t)));
    return std::wstring(reinterpret_cast<const wchar_t*>(raw.data()), raw.size() / sizeof(wchar_t));
}

std::string encodeText(const wchar_t* text, std::size_t n, const char* charset)
{
    if (!text || n == 0)
        return {};
    Converter conv(charset, kWide);
    if (!conv.ok())
        return {};
    return run(conv.get(), reinterpret_cast<const char*>(text), n * sizeof(wchar_t), sizeof(wchar_t), "?");
}

const char* userCharset()
{
    // Read once; the user's locale does not change while the process runs.
    static const std::string name = [] {
        locale_t loc = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
        if (!loc)
            return std::string("ANSI_X3.4-1968");
        std::string cs = nl_langinfo_l(CODESET, loc);
        freelocale(loc);
        return cs;
    }();
    return name.c_str();
}

} // namespace tessaly::core::internal
