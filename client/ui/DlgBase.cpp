#include "ui/DlgBase.h"

#include <wx/event.h>
#include <wx/panel.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

CDlgBase::CDlgBase(wxWindow* parent, int templateId, const wxString& title, long style)
    : wxDialog(parent, wxID_ANY, title, wxDefaultPosition, wxDefaultSize, style),
      m_templateId(templateId) {
    SetBackgroundColour(ViewColour());
}

void CDlgBase::ApplyDialogColouring() { ApplyViewColouring(this, ViewColour()); }

void ApplyViewColouring(wxWindow* root, const wxColour& viewColour) {
    if (!root) return;
    root->SetBackgroundColour(viewColour);
    for (wxWindow* child : root->GetChildren()) {
        if (child->IsTopLevel()) continue;
        if (wxDynamicCast(child, wxStaticText)) {
            // Transparent: the parent's view colour shows through.
            child->SetForegroundColour(ViewStaticTextColour());
            child->SetBackgroundColour(viewColour);
        } else if (wxDynamicCast(child, wxStaticBox)) {
            ApplyViewColouring(child, viewColour);  // group boxes may hold controls
            child->SetForegroundColour(ViewStaticTextColour());
        } else if (auto* edit = wxDynamicCast(child, wxTextCtrl)) {
            edit->SetBackgroundColour(viewColour);
            // A read-only edit only shows text: it is drawn as a static text is.
            if (!edit->IsEditable()) edit->SetForegroundColour(ViewStaticTextColour());
        } else if (wxDynamicCast(child, wxPanel)) {
            ApplyViewColouring(child, viewColour);
        }
    }
    root->Refresh();
}

void CDlgBase::HandleOkCancelKeys(wxKeyEvent& event, const std::function<void()>& onOk,
                                  const std::function<void()>& onCancel) {
    switch (event.GetKeyCode()) {
        case WXK_RETURN:
        case WXK_NUMPAD_ENTER:
            onOk();
            return;
        case WXK_ESCAPE:
            onCancel();
            return;
        default:
            event.Skip();
    }
}
