#include "ui/model/NameFilter.h"

#include <algorithm>

namespace quorvel::ui {

namespace {

char foldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool holds(std::string_view text, std::string_view part) {
    if (part.empty()) return true;
    auto it = std::search(text.begin(), text.end(), part.begin(), part.end(),
                          [](char a, char b) { return foldAscii(a) == foldAscii(b); });
    return it != text.end();
}

}  // namespace

std::vector<std::size_t> matchingNames(const std::vector<std::string>& utf8Names, std::string_view utf8Filter,
                                       std::size_t limit, std::size_t* total) {
    std::vector<std::size_t> out;
    std::size_t count = 0;
    for (std::size_t i = 0; i < utf8Names.size(); ++i) {
        if (!holds(utf8Names[i], utf8Filter)) continue;
        ++count;
        if (out.size() < limit) out.push_back(i);
    }
    if (total) *total = count;
    return out;
}

}  // namespace quorvel::ui
