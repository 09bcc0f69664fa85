#include "FilePatternLayout.h"

#include "FileLogText.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sstream>
#include <thread>

namespace pellorn::filelog {

namespace {

const auto libraryStart = std::chrono::steady_clock::now();

std::string pad(int width, char c, std::string s)
{
    while (static_cast<int>(s.size()) < width)
        s.insert(s.begin(), c);
    return s;
}

std::string number(long long value, int width)
{
    return pad(width, '0', std::to_string(value));
}

const char* const monthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                  "July",    "August",   "September", "October", "November", "December"};
const char* const dayNames[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

std::string threadName()
{
    thread_local const std::string name = [] {
        std::ostringstream out;
        out << std::this_thread::get_id();
        return out.str();
    }();
    return name;
}

// "error2" out of "void pellorn::LogWrapper::error2(const char*, ...)".
std::string methodName(const char* function)
{
    std::string text = function ? function : "";
    const auto paren = text.find('(');
    if (paren != std::string::npos)
        text.erase(paren);
    const auto colon = text.rfind("::");
    if (colon != std::string::npos)
        return text.substr(colon + 2);
    const auto blank = text.rfind(' ');
    return blank == std::string::npos ? text : text.substr(blank + 1);
}

// Formats local time after a date pattern (runs of one letter are one field).
std::string formatDate(const std::string& pattern, std::chrono::system_clock::time_point time)
{
    const auto sinceEpoch = time.time_since_epoch();
    const std::time_t seconds = std::chrono::duration_cast<std::chrono::seconds>(sinceEpoch).count();
    const long long millis = std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count() % 1000;
    std::tm tm{};
    localtime_r(&seconds, &tm);

    std::string out;
    for (std::size_t i = 0; i < pattern.size();) {
        const char c = pattern[i];
        if (c == '\'') {
            const auto close = pattern.find('\'', i + 1);
            if (close == i + 1)
                out += '\'';
            else
                out += pattern.substr(i + 1, close == std::string::npos ? std::string::npos : close - i - 1);
            i = close == std::string::npos ? pattern.size() : close + 1;
            continue;
        }
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) {
            out += c;
            ++i;
            continue;
        }
        std::size_t run = 1;
        while (i + run < pattern.size() && pattern[i + run] == c)
            ++run;
        const int width = static_cast<int>(run);
        switch (c) {
        case 'y': out += run == 2 ? number((tm.tm_year + 1900) % 100, 2) : number(tm.tm_year + 1900, width); break;
        case 'M':
            if (run >= 4)
                out += monthNames[tm.tm_mon];
            else if (run == 3)
                out += std::string(monthNames[tm.tm_mon], 3);
            else
                out += number(tm.tm_mon + 1, width);
            break;
        case 'd': out += number(tm.tm_mday, width); break;
        case 'H': out += number(tm.tm_hour, width); break;
        case 'k': out += number(tm.tm_hour == 0 ? 24 : tm.tm_hour, width); break;
        case 'K': out += number(tm.tm_hour % 12, width); break;
        case 'h': out += number(tm.tm_hour % 12 == 0 ? 12 : tm.tm_hour % 12, width); break;
        case 'm': out += number(tm.tm_min, width); break;
        case 's': out += number(tm.tm_sec, width); break;
        case 'S': out += number(millis, std::max(width, 3)).substr(0, std::max<std::size_t>(run, 3)); break;
        case 'E': out += run >= 4 ? std::string(dayNames[tm.tm_wday]) : std::string(dayNames[tm.tm_wday], 3); break;
        case 'a': out += tm.tm_hour < 12 ? "AM" : "PM"; break;
        case 'Z': {
            char zone[8];
            std::strftime(zone, sizeof zone, "%z", &tm);
            out += zone;
            break;
        }
        default: out += std::string(run, c); break;
        }
        i += run;
    }
    return out;
}

} // namespace

// One piece of the pattern: literal text or a conversion with its modifier.
struct PatternLayout::Part {
    char conversion = 0; // 0: literal
    std::string text;    // the literal, or the conversion's {option}
    bool leftAlign = false;
    int minWidth = 0;
    int maxWidth = -1;

    std::string render(const LogEvent& event) const
    {
        if (!conversion)
            return text;
        std::string value = convert(event);
        // Cut or padded, never both (as log4j layouts do).
        if (maxWidth >= 0 && static_cast<int>(value.size()) > maxWidth)
            value.erase(0, value.size() - static_cast<std::size_t>(maxWidth));
        else if (static_cast<int>(value.size()) < minWidth)
            value.insert(leftAlign ? value.size() : 0, static_cast<std::size_t>(minWidth) - value.size(), ' ');
        return value;
    }

    std::string convert(const LogEvent& event) const
    {
        switch (conversion) {
        case 'd': {
            const std::string option = toUpper(text);
            if (text.empty() || option == "ISO8601")
                return formatDate("yyyy-MM-dd HH:mm:ss,SSS", event.time);
            if (option == "ABSOLUTE")
                return formatDate("HH:mm:ss,SSS", event.time);
            if (option == "DATE")
                return formatDate("dd MMM yyyy HH:mm:ss,SSS", event.time);
            return formatDate(text, event.time);
        }
        case 't': return threadName();
        case 'p': return levelName(event.level);
        case 'c': {
            int keep = text.empty() ? 0 : std::atoi(text.c_str());
            std::string name = event.logger;
            if (keep <= 0)
                return name;
            auto pos = name.size();
            while (keep-- > 0 && pos != std::string::npos && pos > 0)
                pos = name.rfind('.', pos - 1);
            return pos == std::string::npos ? name : name.substr(pos + 1);
        }
        case 'm': return event.message ? event.message : "";
        // One line end everywhere, Windows included: the files read the
        // same on every platform and a record's size does not depend on it.
        case 'n': return "\n";
        case 'F': return event.location.file ? event.location.file : "";
        case 'M': return methodName(event.location.function);
        case 'L': return std::to_string(event.location.line);
        case 'l':
            return methodName(event.location.function) + "(" + (event.location.file ? event.location.file : "") + ":"
                   + std::to_string(event.location.line) + ")";
        case 'r':
            return std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(
                                      std::chrono::steady_clock::now() - libraryStart)
                                      .count());
        default: return {};
        }
    }
};

PatternLayout::PatternLayout(const std::string& pattern)
{
    std::string literal;
    auto flushLiteral = [&] {
        if (literal.empty())
            return;
        auto part = std::make_unique<Part>();
        part->text = std::move(literal);
        parts_.push_back(std::move(part));
        literal.clear();
    };
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%' || i + 1 == pattern.size()) {
            literal += pattern[i];
            continue;
        }
        const std::size_t start = i++;
        if (pattern[i] == '%') {
            literal += '%';
            continue;
        }
        auto part = std::make_unique<Part>();
        if (pattern[i] == '-') {
            part->leftAlign = true;
            ++i;
        }
        while (i < pattern.size() && std::isdigit(static_cast<unsigned char>(pattern[i])))
            part->minWidth = part->minWidth * 10 + (pattern[i++] - '0');
        if (i < pattern.size() && pattern[i] == '.') {
            part->maxWidth = 0;
            ++i;
            while (i < pattern.size() && std::isdigit(static_cast<unsigned char>(pattern[i])))
                part->maxWidth = part->maxWidth * 10 + (pattern[i++] - '0');
        }
        const char c = i < pattern.size() ? pattern[i] : '\0';
        if (std::string("dtpcmnFMLlr").find(c) == std::string::npos || c == '\0') {
            reportOnce("unknown conversion in the layout pattern \"" + pattern + "\" at \"" + pattern.substr(start, i - start + 1)
                       + "\"; written as it stands");
            literal += pattern.substr(start, i - start + 1);
            continue;
        }
        part->conversion = c;
        if (i + 1 < pattern.size() && pattern[i + 1] == '{') {
            const auto close = pattern.find('}', i + 2);
            if (close != std::string::npos) {
                part->text = pattern.substr(i + 2, close - i - 2);
                i = close;
            }
        }
        flushLiteral();
        parts_.push_back(std::move(part));
    }
    flushLiteral();
}

PatternLayout::~PatternLayout() = default;

std::string PatternLayout::format(const LogEvent& event) const
{
    std::string out;
    for (const auto& part : parts_)
        out += part->render(event);
    return out;
}

} // namespace pellorn::filelog
