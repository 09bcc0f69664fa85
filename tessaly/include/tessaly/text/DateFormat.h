#pragma once

#include <vector>

#include "tessaly/core/Date.h"
#include "tessaly/core/String.h"

namespace tessaly::text {

// Formats and parses Dates after a pattern. A run of one letter is one
// field (its length is the count): y year, M month, d day of month,
// W day of week, a AM/PM, H hour 0-23, h hour 0-11, m minute, s second,
// S millisecond. Any other letter is a field this class cannot handle: it
// formats as "[NOT FORMATABLE KEY]" and parses over count characters.
// Text between single quotes is literal ('' is one quote); every other
// character is literal.
//
// Parsing: literals must match exactly, numeric fields take exactly count
// characters (4 or 2 for the year; non-digits count as 0), month names
// (count 3 or more) match the full or the short English name ignoring
// case, day-of-week fields are skipped. A text that does not follow the
// pattern gives the zero Date; fields that name no real time (Feb 30)
// throw IllegalArgumentException from the Date constructor.
class DateFormat {
public:
    // Throws IllegalArgumentException with "The pattern must not be empty."
    explicit DateFormat(const core::String& pattern);
    virtual ~DateFormat() = default;

    // False for an empty pattern.
    bool applyPattern(const core::String& pattern);
    const core::String& getPattern() const { return pattern_; }

    bool operator==(const DateFormat& o) const { return pattern_ == o.pattern_; }
    bool operator!=(const DateFormat& o) const { return pattern_ != o.pattern_; }
    bool operator==(const core::String& p) const { return pattern_ == p; }
    bool operator!=(const core::String& p) const { return pattern_ != p; }

    // The zero Date formats as an empty text.
    core::String format(const core::Date& date) const;
    // An empty text gives the zero Date.
    core::Date parse(const core::String& text) const;

private:
    enum class Kind { literal, year, month, day, weekday, ampm, hour24, hour12, minute, second, millisecond, unknown };
    struct Token {
        Kind kind;
        int count;
        core::String text;
    };

    void compilePattern();
    int countNextChars(int start, char c) const;
    static core::String padString(int value, int width);
    void clear();

    core::String pattern_;
    std::vector<Token> tokens_;
};

} // namespace tessaly::text
