#pragma once
// Which names a filter text picks: every name that holds the text, ASCII
// letters compared without case (UTF-8 bytes otherwise, so a part of a
// Chinese name matches as typed). An empty filter picks every name. Free of
// windows, for the device pickers.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::ui {

// Indexes of the matching names in order, at most `limit` of them; `total`
// (when given) receives how many match in all.
std::vector<std::size_t> matchingNames(const std::vector<std::string>& utf8Names, std::string_view utf8Filter,
                                       std::size_t limit, std::size_t* total = nullptr);

}  // namespace quorvel::ui
