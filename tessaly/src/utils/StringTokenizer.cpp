#include "tessaly/utils/StringTokenizer.h"

#include <cstring>

#include "tessaly/utils/StringList.h"

namespace tessaly::utils {

using core::String;

StringTokenizer::StringTokenizer(const String& text) : StringTokenizer(text, String(" \t\n\r"), false, true) {}

StringTokenizer::StringTokenizer(const String& text, const String& delimiters, bool emptyTokens, bool charSet)
    : text_(text), delimiters_(delimiters), emptyTokens_(emptyTokens), charSet_(charSet)
{
}

int StringTokenizer::delimiterAt(int i) const
{
    const int len = static_cast<int>(text_.length());
    if (delimiters_.isEmpty() || i >= len)
        return 0;
    if (charSet_)
        return delimiters_.contains(text_[i]) ? 1 : 0;
    const int dl = static_cast<int>(delimiters_.length());
    if (i + dl > len)
        return 0;
    return std::memcmp(text_.text() + i, delimiters_.text(), static_cast<std::size_t>(dl)) == 0 ? dl : 0;
}

bool StringTokenizer::scan(int pos, bool finished, int& begin, int& end, int& after) const
{
    const int len = static_cast<int>(text_.length());
    if (emptyTokens_) {
        if (finished || len == 0)
            return false;
        begin = end = pos;
        while (end < len && delimiterAt(end) == 0)
            ++end;
        // after == len + 1 marks "no delimiter followed: this was the last token".
        after = end < len ? end + delimiterAt(end) : len + 1;
        return true;
    }
    while (pos < len) {
        const int d = delimiterAt(pos);
        if (d == 0)
            break;
        pos += d;
    }
    if (pos >= len)
        return false;
    begin = end = pos;
    while (end < len && delimiterAt(end) == 0)
        ++end;
    after = end;
    return true;
}

bool StringTokenizer::hasMoreTokens() const
{
    int b, e, a;
    return scan(position_, finished_, b, e, a);
}

int StringTokenizer::countTokens() const
{
    int n = 0;
    int pos = position_;
    bool finished = finished_;
    int b, e, a;
    const int len = static_cast<int>(text_.length());
    while (scan(pos, finished, b, e, a)) {
        ++n;
        if (a > len) {
            finished = true;
        } else {
            pos = a;
        }
    }
    return n;
}

String StringTokenizer::nextToken()
{
    int b, e, a;
    if (!scan(position_, finished_, b, e, a)) {
        token_ = String();
        start_ = end_ = -1;
        return token_;
    }
    const int len = static_cast<int>(text_.length());
    if (a > len) {
        finished_ = true;
        a = len;
    }
    position_ = a;
    start_ = b;
    end_ = e;
    token_ = text_.substring(b, e - b);
    return token_;
}

String StringTokenizer::nextToken(const String& delimiters, bool charSet)
{
    delimiters_ = delimiters;
    charSet_ = charSet;
    return nextToken();
}

int StringTokenizer::nextAllTokens(StringList& into)
{
    int n = 0;
    while (hasMoreTokens()) {
        into.append(nextToken());
        ++n;
    }
    return n;
}

} // namespace tessaly::utils
