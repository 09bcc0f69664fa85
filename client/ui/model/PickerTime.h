#pragma once
// Text of the views' start and end pickers: "yyyy/MM/dd HH:mm:ss" in local
// time. Window-free so the format is tested headless.
#include <ctime>
#include <optional>
#include <string>

namespace quorvel::ui {

std::string pickerText(std::time_t t);

// Null unless the text is a real local time in that shape (2019/2/30 or
// 25:00:00 are refused). Single-digit fields are accepted.
std::optional<std::time_t> parsePickerText(const std::string& text);

}  // namespace quorvel::ui
