#pragma once
// CDlgBase: base of the client's dialogs. Paints the dialog in the configured
// view colour; static texts are yellow on it, edits take the view colour.
// ApplyViewColouring() is the same colouring for any window (views use it).
#include <functional>

#include <wx/dialog.h>

class CDlgBase : public wxDialog {
public:
    // templateId is the dialog's number (res/ResourceIds.h), by which code and
    // tests tell the dialogs apart; the title is the dialog's caption.
    CDlgBase(wxWindow* parent, int templateId, const wxString& title,
             long style = wxDEFAULT_DIALOG_STYLE);

    int GetTemplateId() const { return m_templateId; }

    // Call after the controls exist (the end of the derived constructor or
    // its setup): colours every control below this dialog.
    void ApplyDialogColouring();

protected:
    // For a char hook of a dialog in which Enter means OK and Escape Cancel
    // wherever the focus is: runs one of them, or lets the key go on.
    static void HandleOkCancelKeys(wxKeyEvent& event, const std::function<void()>& onOk,
                                   const std::function<void()>& onCancel);

private:
    int m_templateId;
};

// The configured view colour (ConfigUI::viewColor), RGB(192,192,192) by default.
wxColour ViewColour();

// Static texts, group boxes and read-only edits: yellow RGB(255,255,0) on the
// window colour; other edits: view-colour background; the window itself:
// view-colour background.
// Walks all children (not into top-level windows).
void ApplyViewColouring(wxWindow* root, const wxColour& viewColour);

// Static text colour used on view-coloured backgrounds.
inline wxColour ViewStaticTextColour() { return wxColour(255, 255, 0); }
