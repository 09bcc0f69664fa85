#include "tessaly/text/DateFormat.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "tessaly/core/IllegalArgumentException.h"

namespace tessaly::text {

using core::Date;
using core::String;

namespace {

const char* const kMonthShort[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const kMonthFull[12] = {"January", "February", "March",     "April",   "May",      "June",
                                    "July",    "August",   "September", "October", "November", "December"};
const char* const kDayShort[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kDayFull[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

bool isAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool matchesAt(const std::string& text, std::size_t pos, const char* word, bool ignoreCase)
{
    const std::size_t n = std::char_traits<char>::length(word);
    if (pos + n > text.size())
        return false;
    return ignoreCase ? String(text.substr(pos, n).c_str()).equalsIgnoreCase(word)
                      : text.compare(pos, n, word) == 0;
}

} // namespace

DateFormat::DateFormat(const String& pattern) : pattern_(pattern)
{
    if (pattern.isEmpty())
        throw core::IllegalArgumentException("The pattern must not be empty.", __FILE__, __LINE__);
    compilePattern();
}

bool DateFormat::applyPattern(const String& pattern)
{
    if (pattern.isEmpty())
        return false;
    if (pattern == pattern_)
        return true;
    pattern_ = pattern;
    compilePattern();
    return true;
}

void DateFormat::clear()
{
    tokens_.clear();
}

int DateFormat::countNextChars(int start, char c) const
{
    int n = 0;
    while (start + n < static_cast<int>(pattern_.length()) && pattern_[start + n] == c)
        ++n;
    return n;
}

String DateFormat::padString(int value, int width)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%0*d", width > 20 ? 20 : width, value);
    return String(buf);
}

void DateFormat::compilePattern()
{
    clear();
    const int len = static_cast<int>(pattern_.length());
    std::string literal;
    auto flushLiteral = [&] {
        if (!literal.empty())
            tokens_.push_back({Kind::literal, static_cast<int>(literal.size()), String(literal.c_str())});
        literal.clear();
    };
    int i = 0;
    while (i < len) {
        const char c = pattern_[i];
        if (c == '\'') {
            if (i + 1 < len && pattern_[i + 1] == '\'') {
                literal += '\'';
                i += 2;
                continue;
            }
            ++i;
            while (i < len) {
                if (pattern_[i] == '\'') {
                    if (i + 1 < len && pattern_[i + 1] == '\'') {
                        literal += '\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                literal += pattern_[i++];
            }
            continue;
        }
        if (!isAsciiLetter(c)) {
            literal += c;
            ++i;
            continue;
        }
        flushLiteral();
        const int count = countNextChars(i, c);
        Kind kind;
        switch (c) {
        case 'y': kind = Kind::year; break;
        case 'M': kind = Kind::month; break;
        case 'd': kind = Kind::day; break;
        case 'W': kind = Kind::weekday; break;
        case 'a': kind = Kind::ampm; break;
        case 'H': kind = Kind::hour24; break;
        case 'h': kind = Kind::hour12; break;
        case 'm': kind = Kind::minute; break;
        case 's': kind = Kind::second; break;
        case 'S': kind = Kind::millisecond; break;
        default: kind = Kind::unknown; break;
        }
        tokens_.push_back({kind, count, String()});
        i += count;
    }
    flushLiteral();
}

String DateFormat::format(const Date& date) const
{
    if (date.toMilliseconds() == 0)
        return String();
    String out;
    for (const Token& t : tokens_) {
        switch (t.kind) {
        case Kind::literal:
            out += t.text;
            break;
        case Kind::year:
            out += t.count < 3 ? padString(date.getYear() % 100, 2) : padString(date.getYear(), t.count);
            break;
        case Kind::month:
            if (t.count == 1)
                out += String(date.getMonth() + 1);
            else if (t.count == 2)
                out += padString(date.getMonth() + 1, 2);
            else
                out += t.count == 3 ? kMonthShort[date.getMonth()] : kMonthFull[date.getMonth()];
            break;
        case Kind::day:
            out += padString(date.getDayOfMonth() + 1, t.count);
            break;
        case Kind::weekday:
            if (t.count == 1)
                out += String(date.getDayOfWeek());
            else if (t.count == 2)
                out += "0" + String(date.getDayOfWeek());
            else
                out += t.count == 3 ? kDayShort[date.getDayOfWeek()] : kDayFull[date.getDayOfWeek()];
            break;
        case Kind::ampm:
            out += date.getHour() < 12 ? "AM" : "PM";
            break;
        case Kind::hour24:
            out += padString(date.getHour(), t.count);
            break;
        case Kind::hour12:
            out += padString(date.getHour() % 12, t.count);
            break;
        case Kind::minute:
            out += padString(date.getMinute(), t.count);
            break;
        case Kind::second:
            out += padString(date.getSecond(), t.count);
            break;
        case Kind::millisecond:
            out += padString(date.getMillisecond(), t.count);
            break;
        case Kind::unknown:
            out += "[NOT FORMATABLE KEY]";
            break;
        }
    }
    return out;
}

Date DateFormat::parse(const String& text) const
{
    if (text.isEmpty())
        return Date();
    const std::string s(text.text());
    std::size_t pos = 0;
    int year = -1, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
    bool pm = false;
    // Exactly n characters as a number (non-digits give 0); false when the text is too short.
    auto number = [&](int n, int& into) {
        if (pos + static_cast<std::size_t>(n) > s.size())
            return false;
        into = String(s.substr(pos, static_cast<std::size_t>(n)).c_str()).toIntValue();
        pos += static_cast<std::size_t>(n);
        return true;
    };
    for (const Token& t : tokens_) {
        switch (t.kind) {
        case Kind::literal:
            if (!matchesAt(s, pos, t.text.text(), false))
                return Date();
            pos += t.text.length();
            break;
        case Kind::year:
            if (t.count > 2) {
                if (!number(4, year))
                    return Date();
            } else {
                int two;
                if (!number(2, two))
                    return Date();
                year = Date::now().getYear() / 100 * 100 + two;
            }
            break;
        case Kind::month:
            if (t.count <= 2) {
                if (!number(t.count, month))
                    return Date();
                --month;
            } else {
                int found = -1;
                for (int m = 0; m < 12 && found < 0; ++m) {
                    if (matchesAt(s, pos, kMonthFull[m], true)) {
                        found = m;
                        pos += std::char_traits<char>::length(kMonthFull[m]);
                    }
                }
                for (int m = 0; m < 12 && found < 0; ++m) {
                    if (matchesAt(s, pos, kMonthShort[m], true)) {
                        found = m;
                        pos += 3;
                    }
                }
                if (found < 0)
                    return Date();
                month = found;
            }
            break;
        case Kind::day:
            if (!number(t.count, day))
                return Date();
            --day;
            break;
        case Kind::weekday:
            if (t.count <= 2) {
                pos = std::min(s.size(), pos + static_cast<std::size_t>(t.count));
            } else {
                while (pos < s.size() && isAsciiLetter(s[pos]))
                    ++pos;
            }
            break;
        case Kind::ampm:
            if (matchesAt(s, pos, "PM", true))
                pm = true;
            else if (!matchesAt(s, pos, "AM", true))
                return Date();
            pos += 2;
            break;
        case Kind::hour24:
        case Kind::hour12:
            if (!number(t.count, hour))
                return Date();
            break;
        case Kind::minute:
            if (!number(t.count, minute))
                return Date();
            break;
        case Kind::second:
            if (!number(t.count, second))
                return Date();
            break;
        case Kind::millisecond:
            if (!number(t.count, millisecond))
                return Date();
            break;
        case Kind::unknown:
            pos = std::min(s.size(), pos + static_cast<std::size_t>(t.count));
            break;
        }
    }
    if (pm && hour < 12)
        hour += 12;
    if (year < 0)
        year = Date::now().getYear();
    return Date(year, month, day, hour, minute, second, millisecond);
}

} // namespace tessaly::text
