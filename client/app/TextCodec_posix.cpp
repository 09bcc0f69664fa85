// Conversion goes through iconv with one converter pair per thread (a
// converter keeps state and must not be shared between threads). Where
// iconv stops at a bad sequence, the replacement rule of TextCodecRules.h
// decides what stands for it.
#include "app/TextCodec.h"
#include "app/TextCodecRules.h"

#include <cerrno>
#include <iconv.h>

namespace {

using textcodec::gbkBadLength;
using textcodec::kGbkReplacement;
using textcodec::kUtf8Replacement;
using textcodec::utf8BadLength;

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter()
    {
        if (valid())
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }

private:
    iconv_t cd_;
};

using BadLength = std::size_t (*)(const unsigned char*, std::size_t);

std::string convert(const Converter& converter, std::string_view in, std::string_view replacement,
                    BadLength badLength)
{
    std::string out;
    if (in.empty())
        return out;
    if (!converter.valid()) {
        // No converter on this system: keep ASCII, replace the rest.
        for (unsigned char c : in)
            out += c < 0x80 ? std::string_view(reinterpret_cast<const char*>(&c), 1) : replacement;
        return out;
    }

    iconv_t cd = converter.get();
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    out.resize(in.size() * 2 + 16);
    char* src = const_cast<char*>(in.data());
    std::size_t srcLeft = in.size();
    std::size_t used = 0;
    while (srcLeft > 0) {
        char* dst = out.data() + used;
        std::size_t dstLeft = out.size() - used;
        std::size_t result = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        used = static_cast<std::size_t>(dst - out.data());
        if (result != static_cast<std::size_t>(-1))
            break;
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
            continue;
        }
        // EILSEQ (bad or unmapped sequence) or EINVAL (cut off at the end).
        std::size_t skip = badLength(reinterpret_cast<const unsigned char*>(src), srcLeft);
        if (out.size() - used < replacement.size())
            out.resize(out.size() * 2 + replacement.size());
        out.replace(used, replacement.size(), replacement);
        used += replacement.size();
        src += skip;
        srcLeft -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(used);
    return out;
}

} // namespace

std::string gbkToUtf8(std::string_view gbk)
{
    try {
        thread_local Converter converter("UTF-8", "GBK");
        return convert(converter, gbk, kUtf8Replacement, gbkBadLength);
    } catch (...) {
        return {};
    }
}

std::string utf8ToGbk(std::string_view utf8)
{
    try {
        thread_local Converter converter("GBK", "UTF-8");
        return convert(converter, utf8, kGbkReplacement, utf8BadLength);
    } catch (...) {
        return {};
    }
}
