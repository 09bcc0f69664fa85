#pragma once
// CMeterButton: the client's green push button, used for every push button of
// the views and dialogs. Call SetMeterColorScheme() in the owner's setup.
#include "ui/ButtonST.h"

class CMeterButton : public CButtonST {
public:
    CMeterButton() = default;
    CMeterButton(wxWindow* parent, wxWindowID id, const wxString& label,
                 const wxPoint& pos = wxDefaultPosition,
                 const wxSize& size = wxDefaultSize, long style = 0)
        : CButtonST(parent, id, label, pos, size, style, wxS("CMeterButton")) {}

    // Rest RGB(0,149,49), hover/pressed RGB(0,189,89), focus RGB(0,169,69),
    // white text in every state; each change redraws the button.
    void SetMeterColorScheme();

    static wxColour BackIn() { return wxColour(0, 189, 89); }
    static wxColour BackOut() { return wxColour(0, 149, 49); }
    static wxColour BackFocus() { return wxColour(0, 169, 69); }
    static wxColour Text() { return wxColour(255, 255, 255); }
};
