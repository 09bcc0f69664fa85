#include "ui/model/IpAddressText.h"

#include "app/Ipv4Text.h"

#include <cctype>
#include <cstddef>

namespace quorvel::ui {

namespace {

// Like %d: optional blanks, optional sign, digits. Returns false when no digit.
bool readInt(const std::string& s, std::size_t& pos, long long& out) {
    std::size_t p = pos;
    while (p < s.size() && std::isspace(static_cast<unsigned char>(s[p]))) ++p;
    bool negative = false;
    if (p < s.size() && (s[p] == '+' || s[p] == '-')) negative = s[p++] == '-';
    const std::size_t digitsAt = p;
    long long v = 0;
    while (p < s.size() && std::isdigit(static_cast<unsigned char>(s[p]))) {
        if (v < 1'000'000'000'000LL) v = v * 10 + (s[p] - '0');  // no overflow on long runs
        ++p;
    }
    if (p == digitsAt) return false;
    out = negative ? -v : v;
    pos = p;
    return true;
}

}  // namespace

IpFields parseIpFields(const std::string& text) {
    IpFields f{0, 0, 0, 0};
    std::size_t pos = 0;
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            if (pos >= text.size() || text[pos] != '.') break;
            ++pos;
        }
        long long v = 0;
        if (!readInt(text, pos, v)) break;
        f[static_cast<std::size_t>(i)] = static_cast<int>(((v % 256) + 256) % 256);
    }
    return f;
}

std::string formatIpFields(const IpFields& fields) {
    std::string out;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i) out += '.';
        out += std::to_string(fields[i]);
    }
    return out;
}

bool isDottedIpv4(const std::string& text) { return parseDottedIpv4(text).has_value(); }

std::optional<long long> parseIntegerText(const std::string& text) {
    std::size_t pos = 0;
    long long v = 0;
    if (!readInt(text, pos, v)) return std::nullopt;
    while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos]))) ++pos;
    if (pos != text.size()) return std::nullopt;
    return v;
}

}  // namespace quorvel::ui
