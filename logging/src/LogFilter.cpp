#include "LogFilter.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace pellorn {

namespace {

constexpr const char* kTrimChars = " \t\r\n";

std::string trimLeft(const std::string& s, const char* chars)
{
    auto first = s.find_first_not_of(chars);
    return first == std::string::npos ? std::string() : s.substr(first);
}

std::string trimRight(const std::string& s, const char* chars)
{
    auto last = s.find_last_not_of(chars);
    return last == std::string::npos ? std::string() : s.substr(0, last + 1);
}

std::string trim(const std::string& s, const char* chars)
{
    return trimRight(trimLeft(s, chars), chars);
}

bool isComment(const std::string& line)
{
    auto comment = line.find_first_of("#;");
    if (comment == std::string::npos)
        return false;
    auto content = line.find_first_of("=[");
    return content == std::string::npos || comment < content;
}

std::string lookup(const FilterTable* table, const std::string& section, const char* key)
{
    if (!table)
        return {};
    auto it = table->find(section + filterKeySeparator + key);
    return it == table->end() ? std::string() : it->second;
}

bool readsTrue(std::string value)
{
    std::transform(value.begin(), value.end(), value.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return value == "true";
}

} // namespace

void parseFilterLines(const std::vector<std::string>& lines, FilterTable& table)
{
    std::string section;
    for (const std::string& line : lines) {
        if (isComment(line))
            continue;

        auto open = line.find('[');
        auto close = line.find(']');
        if (open != std::string::npos && close != std::string::npos) {
            // "]" before "[" leaves nothing between them: treated like "[]".
            if (close > open + 1)
                section = line.substr(open + 1, close - open - 1);
            continue;
        }

        auto eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        std::string key = trim(line.substr(0, eq), kTrimChars);
        if (key.empty())
            continue;
        std::string value = trimLeft(line.substr(eq + 1), kTrimChars);
        // The first marker in this order wins, wherever the others stand.
        for (const char* marker : {" #", " ;", "\t#", "\t;"}) {
            auto at = value.find(marker);
            if (at != std::string::npos) {
                value.erase(at);
                break;
            }
        }
        value = trimRight(value, kTrimChars);
        if (value.empty())
            continue;
        table[section + filterKeySeparator + key] = value;
    }
}

bool readFilterFile(const char* path, FilterTable& table)
{
    std::FILE* file = std::fopen(path, "r");
    if (!file)
        return false;
    std::vector<std::string> lines;
    char buffer[1024];
    while (std::fgets(buffer, sizeof buffer, file))
        lines.emplace_back(buffer);
    std::fclose(file);
    parseFilterLines(lines, table);
    return true;
}

LogFilterEntry::LogFilterEntry(const std::string& name, const FilterTable* table)
    : loggerName_(name)
{
    enabled_ = readsTrue(lookup(table, name, "EnabledFilter"));
    if (!enabled_)
        return;
    include_ = readsTrue(lookup(table, name, "IsIncludeFilter"));
    std::string list = lookup(table, name, "FilterFiles");
    std::size_t start = 0;
    while (start <= list.size()) {
        auto comma = list.find(',', start);
        if (comma == std::string::npos)
            comma = list.size();
        std::string piece = trim(list.substr(start, comma - start), " \t");
        if (!piece.empty())
            files_.insert(piece);
        start = comma + 1;
    }
    if (files_.empty())
        enabled_ = false;
}

bool LogFilterEntry::allows(const std::string& callerModule) const
{
    if (!enabled_)
        return true;
    bool listed = files_.count(callerModule) != 0;
    return include_ ? listed : !listed;
}

} // namespace pellorn
