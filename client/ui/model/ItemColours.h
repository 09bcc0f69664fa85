#pragma once
// Row colours of a data item: the curve colour (0x00BBGGRR, red in the low
// byte) as background and its complement as text, so the name stays legible
// on any curve colour.
#include <cstdint>

namespace quorvel::ui {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

constexpr Rgb rgbOf(int colour) {
    const auto v = static_cast<std::uint32_t>(colour);
    return Rgb{static_cast<std::uint8_t>(v & 0xFF), static_cast<std::uint8_t>((v >> 8) & 0xFF),
               static_cast<std::uint8_t>((v >> 16) & 0xFF)};
}

constexpr int colourOf(Rgb rgb) { return rgb.r | (rgb.g << 8) | (rgb.b << 16); }

// Each of red, green and blue replaced by 255 minus its value; bits above
// the three colour bytes are ignored.
constexpr Rgb complementOf(int colour) {
    const Rgb c = rgbOf(colour);
    return Rgb{static_cast<std::uint8_t>(255 - c.r), static_cast<std::uint8_t>(255 - c.g),
               static_cast<std::uint8_t>(255 - c.b)};
}

}  // namespace quorvel::ui
