#include "FileLogProperties.h"

#include "FileLogText.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace pellorn::filelog {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\f';
}

// Logical lines: physical lines joined where one ends in an odd number of
// backslashes (the continuation's leading blanks dropped).
std::vector<std::string> logicalLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string physical;
    std::string pending;
    bool continuing = false;
    while (std::getline(in, physical)) {
        if (!physical.empty() && physical.back() == '\r')
            physical.pop_back();
        std::string::size_type start = 0;
        if (continuing)
            while (start < physical.size() && isBlank(physical[start]))
                ++start;
        std::string piece = physical.substr(start);
        std::size_t backslashes = 0;
        while (backslashes < piece.size() && piece[piece.size() - 1 - backslashes] == '\\')
            ++backslashes;
        const bool continues = backslashes % 2 == 1;
        if (continues)
            piece.pop_back();
        pending += piece;
        continuing = continues;
        if (!continues) {
            lines.push_back(pending);
            pending.clear();
        }
    }
    if (!pending.empty())
        lines.push_back(pending);
    return lines;
}

// Java properties escapes: \t \n \r \f, anything else stands for itself.
std::string unescape(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[++i];
        switch (next) {
        case 't': out += '\t'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 'f': out += '\f'; break;
        default: out += next; break;
        }
    }
    return out;
}

} // namespace

Properties parseProperties(const std::string& text)
{
    Properties properties;
    for (const std::string& line : logicalLines(text)) {
        std::size_t i = 0;
        while (i < line.size() && isBlank(line[i]))
            ++i;
        if (i == line.size() || line[i] == '#' || line[i] == '!')
            continue;
        // The key ends at the first unescaped '=', ':' or blank.
        const std::size_t keyStart = i;
        while (i < line.size() && line[i] != '=' && line[i] != ':' && !isBlank(line[i])) {
            if (line[i] == '\\')
                ++i;
            ++i;
        }
        const std::size_t keyEnd = std::min(i, line.size());
        while (i < line.size() && isBlank(line[i]))
            ++i;
        if (i < line.size() && (line[i] == '=' || line[i] == ':'))
            ++i;
        while (i < line.size() && isBlank(line[i]))
            ++i;
        properties[unescape(line.substr(keyStart, keyEnd - keyStart))] =
            unescape(i < line.size() ? line.substr(i) : std::string());
    }
    return properties;
}

bool readProperties(const std::string& path, Properties& properties)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad())
        return false;
    properties = parseProperties(text.str());
    return true;
}

std::string substituteVariables(const std::string& value, const Properties& properties)
{
    std::string text = value;
    for (int depth = 0; depth < 8; ++depth) {
        const auto open = text.find("${");
        if (open == std::string::npos)
            return text;
        std::string out;
        std::string::size_type pos = 0;
        while (true) {
            const auto start = text.find("${", pos);
            const auto end = start == std::string::npos ? std::string::npos : text.find('}', start + 2);
            if (start == std::string::npos || end == std::string::npos) {
                out += text.substr(pos);
                break;
            }
            out += text.substr(pos, start - pos);
            const std::string name = text.substr(start + 2, end - start - 2);
            if (auto it = properties.find(name); it != properties.end())
                out += it->second;
            else if (const char* env = std::getenv(name.c_str()))
                out += env;
            pos = end + 1;
        }
        if (out == text)
            return text;
        text = out;
    }
    return text;
}

} // namespace pellorn::filelog
