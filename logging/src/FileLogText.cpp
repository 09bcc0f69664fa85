#include "FileLogText.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <mutex>
#include <set>

namespace pellorn::filelog {

std::string trim(const std::string& text)
{
    constexpr const char* blanks = " \t\r\n\f";
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::string toUpper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

bool equalsIgnoreCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && toUpper(a) == toUpper(b);
}

std::vector<std::string> splitCommas(const std::string& text)
{
    std::vector<std::string> pieces;
    std::string::size_type start = 0;
    while (true) {
        const auto comma = text.find(',', start);
        pieces.push_back(trim(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start)));
        if (comma == std::string::npos)
            return pieces;
        start = comma + 1;
    }
}

void reportOnce(const std::string& problem)
{
    // Never destroyed: records may still be written while statics go away.
    struct Reported {
        std::mutex mutex;
        std::set<std::string> problems;
    };
    static Reported* const reported = new Reported;
    std::lock_guard<std::mutex> lock(reported->mutex);
    if (!reported->problems.insert(problem).second)
        return;
    const std::string line = "pellorn: " + problem + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

} // namespace pellorn::filelog
