#pragma once
// The look of the main window as configured (UIConfig.xml through Config),
// turned into display values once, in one place.

#include <string>
#include <vector>

#include <wx/colour.h>
#include <wx/string.h>

struct UiSettings {
    wxColour viewColour;
    wxColour toolbarColour;
    wxColour statusbarColour;
    std::vector<std::string> buttonImages;  // 7 file names under config/toolbar
    std::vector<wxString> buttonTips;       // 7 tooltips
};

// Read from the configuration singleton on every call (cheap; UI thread only).
UiSettings uiSettings();

// A configured colour (0x00BBGGRR, red in the low byte) as a wx colour.
wxColour colourFromColorref(unsigned long colorref);
