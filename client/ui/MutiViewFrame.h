#pragma once
// A frame that owns several views and shows exactly one of them in its client
// area. The shown view always carries the pane id kPaneFirstId, the others
// kPaneNextId (pane ids are swapped on switching, so layout finds the shown
// view by its pane id).

#include <functional>
#include <vector>

#include <wx/frame.h>

#include "ui/ViewBase.h"

class CMutiViewFrame : public wxFrame {
public:
    static constexpr int kPaneFirstId = 0xE900;
    static constexpr int kPaneNextId = 0xE901;

    // Makes a view as a child of the frame with the given window id (the
    // frame passes wxID_ANY); null on failure.
    using ViewFactory = std::function<CViewBase*(wxWindow* parent, wxWindowID id)>;

    CMutiViewFrame(wxWindow* parent, wxWindowID id, const wxString& title,
                   const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize,
                   long style = wxDEFAULT_FRAME_STYLE);
    ~CMutiViewFrame() override;

    // Creates the first pane (id kPaneFirstId) and makes it the active view.
    // False when the factory fails; the list then stays empty.
    bool CreateClient(const ViewFactory& makeFirst);

    // Creates a view (hidden, next view id), appends it and returns its index,
    // or -1 when creation fails.
    int AddView(const ViewFactory& make);
    template <class V>
    int AddView(const ViewContext& context) {
        return AddView([&context](wxWindow* p, wxWindowID id) -> CViewBase* { return new V(p, id, context); });
    }

    // Shows view `index`; an index out of range does nothing and gives null.
    CViewBase* SwitchView(int index);

    CViewBase* GetActiveView() const { return m_active; }
    int GetActiveIndex() const;
    int GetViewCount() const { return static_cast<int>(m_views.size()); }
    CViewBase* GetView(int index) const;

    // A bar placed along the top of the client area, above the shown view
    // (not owned; a child of the frame).
    void SetTopBar(wxWindow* bar) { m_topBar = bar; }

    // Places the top bar and the shown view (pane id kPaneFirstId) in the
    // client area.
    void RecalcLayout();
    bool Layout() override;

protected:
    std::vector<CViewBase*> m_views;  // children of the frame, destroyed with it

private:
    CViewBase* m_active = nullptr;
    wxWindow* m_topBar = nullptr;
    int m_nextViewId = kPaneFirstId;
    bool m_inRecalcLayout = false;
};
