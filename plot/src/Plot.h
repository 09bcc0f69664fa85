// One series of the plot: its legend caption, value unit, colour and ranges.
#pragma once
#include <cstdint>
#include <string>

namespace curvella {

using Colour = std::uint32_t;  // 0x00BBGGRR

struct Plot {
    Plot() = default;
    virtual ~Plot() = default;
    Plot(const Plot&) = default;
    Plot& operator=(const Plot&) = default;

    std::string caption;  // UTF-8
    std::string unit;     // UTF-8; equal units share one value axis
    Colour colour = 0;
    bool selected = false;
    int index = 0;
    bool locked = false;  // "L": the display range only widens
    bool barStyle = false;
    double displayMaximum = 0, displayMinimum = 0;
    double dataMaximum = 0, dataMinimum = 0;
    bool fixedRange = false;
};

}  // namespace curvella
