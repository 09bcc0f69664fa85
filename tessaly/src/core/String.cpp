#include "tessaly/core/String.h"

#include <cstdlib>

#include "core/internal/BasicTextImpl.h"

namespace tessaly::core {

template class BasicText<char, String>;

String::InnerRefCountedString* const String::_emptySmartText = nullptr;

int String::copyToBuffer(wchar_t* buf, int size) const
{
    if (isEmpty() || !buf || size < 1)
        return 0;
    const std::size_t max = std::min<std::size_t>(static_cast<std::size_t>(size - 1), length());
    const std::size_t n = std::mbstowcs(buf, text(), max);
    if (n == static_cast<std::size_t>(-1)) {
        // Not valid in the current locale: nothing usable was converted.
        buf[0] = 0;
        return 0;
    }
    buf[n] = 0;
    return static_cast<int>(n);
}

String operator+(const char* s, const String& t)
{
    String r(s);
    r += t;
    return r;
}

String operator+(char c, const String& t)
{
    String r(c);
    r += t;
    return r;
}

} // namespace tessaly::core
