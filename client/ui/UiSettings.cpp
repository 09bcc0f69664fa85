#include "ui/UiSettings.h"

#include "app/Config.h"

wxColour colourFromColorref(unsigned long colorref) {
    return wxColour(static_cast<unsigned char>(colorref & 0xFF), static_cast<unsigned char>((colorref >> 8) & 0xFF),
                    static_cast<unsigned char>((colorref >> 16) & 0xFF));
}

UiSettings uiSettings() {
    const ConfigUI& ui = Singleton<Config>::getInstance()->ui;
    UiSettings s;
    s.viewColour = colourFromColorref(ui.viewColor);
    s.toolbarColour = colourFromColorref(ui.toolbarColor);
    s.statusbarColour = colourFromColorref(ui.statusbarColor);
    s.buttonImages = ui.buttonImages;
    s.buttonImages.resize(ConfigUI::buttonCount);
    for (const std::string& tip : ui.buttonTips) s.buttonTips.push_back(wxString::FromUTF8(tip));
    s.buttonTips.resize(ConfigUI::buttonCount);
    return s;
}
