#include "ui/ViewBase.h"

#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "ui/UiSettings.h"

const wxColour CViewBase::kLabelColour(255, 255, 0);

CViewBase::CViewBase(wxWindow* parent, wxWindowID id, const ViewContext& context)
    : wxPanel(parent, id, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxBORDER_NONE),
      m_context(context),
      m_viewColour(uiSettings().viewColour) {
    SetBackgroundColour(m_viewColour);
}

CViewBase::~CViewBase() = default;

void CViewBase::InitialUpdate() {
    if (m_initialUpdateDone) return;
    m_initialUpdateDone = true;
    OnInitialUpdate();
    ApplyViewColours();
}

void CViewBase::OnInitialUpdate() {
    // Views attach this to their lists only to make rows 32 pixels high.
    m_rowImages = std::make_unique<wxImageList>(1, 32, true, 1);
}

void CViewBase::ApplyViewColours() {
    for (wxWindow* child : GetChildren()) {
        if (wxDynamicCast(child, wxStaticText)) {
            child->SetForegroundColour(kLabelColour);
            child->SetBackgroundColour(m_viewColour);
        } else if (auto* edit = wxDynamicCast(child, wxTextCtrl)) {
            edit->SetBackgroundColour(m_viewColour);
            // A read-only edit only shows text: it is drawn as a static text is.
            if (!edit->IsEditable()) edit->SetForegroundColour(kLabelColour);
        }
    }
}
