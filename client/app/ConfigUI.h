// UIConfig.xml: colours of the main window and the views, and the images
// and tips of the toolbar buttons. Only ever read. Texts are UTF-8.
#pragma once

#include "app/ConfigBase.h"

#include <cstdint>
#include <string>
#include <vector>

// A colour as 0x00BBGGRR (red in the low byte).
using ColorRef = std::uint32_t;

constexpr ColorRef makeColor(unsigned red, unsigned green, unsigned blue)
{
    return (red & 0xFF) | (green & 0xFF) << 8 | (blue & 0xFF) << 16;
}

class ConfigUI : public ConfigBase {
public:
    static constexpr int buttonCount = 7;

    ConfigUI();

    void parseElement() override;

    ColorRef viewColor = makeColor(192, 192, 192);     // list controls of the views
    ColorRef toolbarColor = makeColor(0, 149, 49);     // main frame's toolbar
    ColorRef statusbarColor = makeColor(0, 149, 49);   // main frame's status bar
    std::vector<std::string> buttonImages;             // file names under config/toolbar
    std::vector<std::string> buttonTips;               // entry i belongs with image i

private:
    void parseColors(xandril::CElement* element);
    void parseButtons(xandril::CElement* element);
};
