#include "app/Ipv4Text.h"

#include <charconv>

std::optional<std::array<int, 4>> parseDottedIpv4(std::string_view text)
{
    std::array<int, 4> fields{};
    for (int part = 0; part < 4; ++part) {
        const std::size_t end = part < 3 ? text.find('.') : text.size();
        if (end == std::string_view::npos || end == 0 || end > 3 || (end > 1 && text[0] == '0'))
            return std::nullopt;
        unsigned value = 0;  // unsigned: no sign accepted
        const auto [stop, error] = std::from_chars(text.data(), text.data() + end, value);
        if (error != std::errc() || stop != text.data() + end || value > 255)
            return std::nullopt;
        fields[static_cast<std::size_t>(part)] = static_cast<int>(value);
        text.remove_prefix(part < 3 ? end + 1 : end);
    }
    return fields;
}
