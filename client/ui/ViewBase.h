#pragma once
// Common base of the main frame's views: a form-like panel in the view colour
// whose static labels are drawn yellow, with a 1x32 row image list that views
// attach to their list controls so rows are 32 pixels high.

#include <memory>
#include <string>

#include <wx/colour.h>
#include <wx/imaglist.h>
#include <wx/panel.h>

// What the frame hands every view when it creates it: the logged-in user.
// Anything more every view needs at creation goes here, not into each
// view's constructor.
struct ViewContext {
    std::string userId;  // em_user.id of the logged-in user (GBK bytes)
    std::string roleId;  // em_user.role of that user
};

class CViewBase : public wxPanel {
public:
    // parent: the main frame; id: window id given by the frame (wxID_ANY);
    // context: the logged-in user.
    CViewBase(wxWindow* parent, wxWindowID id, const ViewContext& context);
    ~CViewBase() override;

    // Runs OnInitialUpdate once; the frame calls it for every view after all
    // views exist, so a view may set itself up knowing its siblings are there.
    void InitialUpdate();
    bool IsInitialUpdateDone() const { return m_initialUpdateDone; }

    const ViewContext& GetContext() const { return m_context; }
    // Pane id kept by the multi-view frame: the shown view carries the first
    // pane id. (Kept apart from the window id, which the toolkit limits to
    // values below 32767.)
    int GetPaneId() const { return m_paneId; }
    void SetPaneId(int paneId) { m_paneId = paneId; }
    // The configured view colour (ConfigUI::viewColor) as a wx colour.
    wxColour GetViewColour() const { return m_viewColour; }
    // Empty 1x32 image list made in the initial update; null before it.
    wxImageList* GetRowImageList() const { return m_rowImages.get(); }

    // Gives the child controls the view's look: static labels and read-only
    // edits yellow on the view colour, other edit controls on the view colour. Called after the initial
    // update; call again after adding controls later.
    void ApplyViewColours();

    static const wxColour kLabelColour;  // RGB(255,255,0)

protected:
    // Override to fill the view; call CViewBase::OnInitialUpdate() first.
    virtual void OnInitialUpdate();

private:
    ViewContext m_context;
    wxColour m_viewColour;
    std::unique_ptr<wxImageList> m_rowImages;
    bool m_initialUpdateDone = false;
    int m_paneId = 0;
};
