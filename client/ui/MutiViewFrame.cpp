#include "ui/MutiViewFrame.h"

#include <algorithm>

CMutiViewFrame::CMutiViewFrame(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& pos,
                               const wxSize& size, long style)
    : wxFrame(parent, id, title, pos, size, style) {}

CMutiViewFrame::~CMutiViewFrame() = default;

bool CMutiViewFrame::CreateClient(const ViewFactory& makeFirst) {
    CViewBase* view = makeFirst ? makeFirst(this, wxID_ANY) : nullptr;
    if (!view) return false;
    view->SetPaneId(kPaneFirstId);
    m_nextViewId = kPaneNextId;
    m_views.push_back(view);
    m_active = view;
    RecalcLayout();
    return true;
}

int CMutiViewFrame::AddView(const ViewFactory& make) {
    // Later views are hidden at once so they never flash over the shown one.
    CViewBase* view = make ? make(this, wxID_ANY) : nullptr;
    if (!view) return -1;
    view->SetPaneId(m_nextViewId);
    m_nextViewId = kPaneNextId;
    if (!m_active)
        m_active = view;
    else
        view->Hide();
    m_views.push_back(view);
    return static_cast<int>(m_views.size()) - 1;
}

CViewBase* CMutiViewFrame::SwitchView(int index) {
    if (index < 0 || index >= GetViewCount()) return nullptr;
    CViewBase* target = m_views[static_cast<std::size_t>(index)];
    CViewBase* old = m_active;
    if (old && old != target) {
        const int oldId = old->GetPaneId();
        old->SetPaneId(target->GetPaneId());
        target->SetPaneId(oldId);
    }
    m_active = target;
    RecalcLayout();
    if (old && old != target) old->Hide();
    target->Show();
    return target;
}

int CMutiViewFrame::GetActiveIndex() const {
    auto it = std::find(m_views.begin(), m_views.end(), m_active);
    return it == m_views.end() ? -1 : static_cast<int>(it - m_views.begin());
}

CViewBase* CMutiViewFrame::GetView(int index) const {
    if (index < 0 || index >= GetViewCount()) return nullptr;
    return m_views[static_cast<std::size_t>(index)];
}

void CMutiViewFrame::RecalcLayout() {
    if (m_inRecalcLayout) return;
    m_inRecalcLayout = true;
    // Children are placed in client coordinates; the status bar is outside
    // the client area.
    const wxSize client = GetClientSize();
    int top = 0;
    if (m_topBar) {
        top = m_topBar->GetBestSize().y;
        m_topBar->SetSize(0, 0, client.x, top);
    }
    for (CViewBase* view : m_views) {
        if (view->GetPaneId() == kPaneFirstId) {
            view->SetSize(0, top, client.x, std::max(0, client.y - top));
            break;
        }
    }
    m_inRecalcLayout = false;
}

bool CMutiViewFrame::Layout() {
    RecalcLayout();
    return true;
}
