#include "ui/MainFrame.h"

#include <wx/bitmap.h>
#include <wx/app.h>
#include <wx/dcclient.h>
#include <wx/image.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/utils.h>

#include "app/Globals.h"
#include "app/TextCodec.h"
#include "db/EMModule.h"
#include "db/EMRoleModule.h"
#include "mqtt/BrokerLink.h"
#include "quillet/MqttClient.h"
#include "ui/MessageBox.h"
#include "ui/UiSettings.h"
#include "ui/UiText.h"
#include "ui/ViewDataModify.h"
#include "ui/ViewDebug.h"
#include "ui/ViewHistory.h"
#include "ui/ViewRealtime.h"
#include "ui/ViewStatistics.h"
#include "vintrel/TrayTool.h"

namespace {
constexpr int kStatusTimerId = 1;
constexpr int kStatusPeriodMs = 500;
constexpr int kImageSize = 38;
constexpr int kButtonWidth = 50;
constexpr int kButtonHeight = 49;

enum StatusPane { kPaneMessage = 0, kPaneCaps, kPaneNum, kPaneScroll, kPaneCount };

wxString fromUtf8(const char* text) { return wxString::FromUTF8(text); }

// A toolbar image from disk, 38x38 with white as the transparent colour; a
// blank image when the file cannot be read, so the buttons after it keep
// their own pictures.
// fileUtf8: a picture file name in UTF-8 (as UIConfig.xml gives it).
wxBitmap loadToolbarImage(const std::string& fileUtf8) {
    const wxString file = wxString::FromUTF8(fileUtf8);
    const wxString path = wxString::Format("%s/config/toolbar/%s", wxString::FromUTF8(g_moduleDir), file);
    wxImage image;
    if (!file.empty() && wxFileExists(path) && image.LoadFile(path, wxBITMAP_TYPE_BMP) && image.IsOk()) {
        if (image.GetWidth() != kImageSize || image.GetHeight() != kImageSize)
            image.Rescale(kImageSize, kImageSize, wxIMAGE_QUALITY_HIGH);
        image.SetMaskColour(255, 255, 255);
        return wxBitmap(image);
    }
    wxImage blank(kImageSize, kImageSize);
    blank.SetRGB(wxRect(0, 0, kImageSize, kImageSize), 255, 255, 255);
    blank.SetMaskColour(255, 255, 255);
    return wxBitmap(blank);
}

bool isViewModule(const EMModule* module) {
    return module->menuNo == EMModule::kMenuDebug || module->menuNo == EMModule::kMenuDataPoint;
}
}  // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(CMainFrame, CMutiViewFrame)
    EVT_COMMAND_RANGE(CMainFrame::kFirstCommandId, CMainFrame::kLastCommandId, wxEVT_BUTTON, CMainFrame::OnCommand)
    EVT_CLOSE(CMainFrame::OnClose)
    EVT_COMMAND(CMainFrame::kTrayCallbackMessage, VINTREL_EVT_TRAY_NOTIFY, CMainFrame::OnTrayNotify)
    EVT_TIMER(kStatusTimerId, CMainFrame::OnStatusTimer)
wxEND_EVENT_TABLE()
// clang-format on

CMainFrame::CMainFrame(const ViewContext& context)
    : CMutiViewFrame(nullptr, wxID_ANY, "Quorvel_Client", wxDefaultPosition, wxSize(1024, 768)),
      m_context(context),
      m_statusTimer(this, kStatusTimerId) {
    CreateClient([&context](wxWindow* parent, wxWindowID id) -> CViewBase* {
        return new CViewRealtime(parent, id, context);
    });
    BuildStatusBar();

    // Only modules with a view get a button: a button without a view would
    // shift About and Exit onto the wrong buttons.
    std::vector<const EMModule*> modules;
    for (const EMModule* module : EMRoleModule::getModulesByRole(context.roleId))
        if (module && isViewModule(module)) modules.push_back(module);

    BuildToolBar(modules);
    AddView<CViewHistory>(context);
    AddView<CViewStatistics>(context);
    CreateModuleViews(modules);

    for (CViewBase* view : m_views) view->InitialUpdate();
    RecalcLayout();
    UpdateStatusPanes();
    m_statusTimer.Start(kStatusPeriodMs);
}

CMainFrame::~CMainFrame() { m_statusTimer.Stop(); }

void CMainFrame::BuildStatusBar() {
    m_statusbar = CreateStatusBar(kPaneCount, wxSTB_DEFAULT_STYLE);
    const int widths[kPaneCount] = {-1, 60, 60, 60};
    m_statusbar->SetStatusWidths(kPaneCount, widths);
    m_statusbar->SetBackgroundColour(uiSettings().statusbarColour);
    m_statusbar->SetForegroundColour(*wxWHITE);
}

void CMainFrame::BuildToolBar(const std::vector<const EMModule*>& modules) {
    const UiSettings settings = uiSettings();
    m_buttons.clear();
    int commandId = kFirstCommandId;
    for (int i = 0; i < 3; ++i)
        m_buttons.push_back({commandId++, settings.buttonImages[static_cast<std::size_t>(i)],
                             settings.buttonTips[static_cast<std::size_t>(i)]});
    for (const EMModule* module : modules)
        m_buttons.push_back({commandId++, gbkToUtf8(module->menuPicFile), quorvel::ui::gbkToUi(module->name)});
    for (int i = 3; i < 5; ++i)
        m_buttons.push_back({commandId++, settings.buttonImages[static_cast<std::size_t>(i)],
                             settings.buttonTips[static_cast<std::size_t>(i)]});

    // A panel of flat picture buttons rather than the toolkit's toolbar, which
    // here ignores the configured background colour.
    m_toolbar = new wxPanel(this, wxID_ANY);
    m_toolbar->SetBackgroundColour(settings.toolbarColour);
    // Painted by hand: the theme would otherwise draw its own colour here.
    m_toolbar->SetBackgroundStyle(wxBG_STYLE_PAINT);
    m_toolbar->Bind(wxEVT_PAINT, [bar = m_toolbar](wxPaintEvent&) {
        wxPaintDC dc(bar);
        dc.SetBackground(wxBrush(bar->GetBackgroundColour()));
        dc.Clear();
    });
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    for (const ToolbarButton& button : m_buttons) {
        auto* b = new wxBitmapButton(m_toolbar, button.commandId, loadToolbarImage(button.imageFile),
                                     wxDefaultPosition, wxSize(kButtonWidth, kButtonHeight), wxBORDER_NONE);
        b->SetBackgroundColour(settings.toolbarColour);
        b->SetToolTip(button.tip);
        row->Add(b, 0, wxALL, 1);
    }
    m_toolbar->SetSizerAndFit(row);
    SetTopBar(m_toolbar);
}

wxBitmapButton* CMainFrame::GetToolButton(int commandId) const {
    return m_toolbar ? dynamic_cast<wxBitmapButton*>(m_toolbar->FindWindow(commandId)) : nullptr;
}

void CMainFrame::CreateModuleViews(const std::vector<const EMModule*>& modules) {
    for (const EMModule* module : modules) {
        if (module->menuNo == EMModule::kMenuDebug)
            AddView<CViewDebug>(m_context);
        else
            AddView<CViewDataModify>(m_context);
        // Counted even if creation failed, so the buttons keep their meaning.
        ++m_moduleViewCount;
    }
}

void CMainFrame::OnCommand(wxCommandEvent& event) {
    const int k = event.GetId() - kFirstCommandId;
    const int m = m_moduleViewCount;
    if (k < 0) return;
    if (k < m + 3) {
        SwitchView(k);
    } else if (k == m + 3) {
        if (m_about)
            m_about(this);
        else
            quorvel::ui::ShowMessageBox(fromUtf8("Quorvel_Client(Version1.12)"),
                                        fromUtf8("关于 Quorvel_Client"), wxOK | wxICON_INFORMATION, this);
    } else if (k == m + 4) {
        // Posted, as a close request from the window manager would be.
        CallAfter([this] { Close(); });
    }
}

wxString CMainFrame::ExitPromptText() {
    return fromUtf8("确定要退出吗?\n\n点击 \"是(Y)\" 程序退出\n点击 \"否(N)\" 隐藏至托盘");
}

wxString CMainFrame::NoTrayText() {
    return fromUtf8("系统托盘不可用，窗口将保持显示。");
}

void CMainFrame::OnClose(wxCloseEvent& event) {
    if (!event.CanVeto()) {
        Destroy();
        return;
    }
    const wxString caption = wxTheApp ? wxTheApp->GetAppDisplayName() : wxString("Quorvel_Client");
    const int answer = quorvel::ui::ShowMessageBox(ExitPromptText(), caption, wxYES_NO | wxICON_QUESTION, this);
    if (answer == wxNO) {
        event.Veto();
        // Hiding without a tray icon would leave no way back to the window.
        if (m_tray && m_tray->IsInTray())
            Hide();
        else
            quorvel::ui::ShowMessageBox(NoTrayText(), caption, wxOK | wxICON_INFORMATION, this);
        return;
    }
    Destroy();
}

void CMainFrame::OnTrayNotify(wxCommandEvent& event) {
    if (event.GetInt() == TrayMouse::LeftDoubleClick) Show(true);
}

void CMainFrame::OnStatusTimer(wxTimerEvent&) { UpdateStatusPanes(); }

void CMainFrame::UpdateStatusPanes() {
    if (!m_statusbar) return;
    logBrokerFailureChange(m_mqttClient);
    const wxString broker = fromUtf8(brokerStatusText(m_mqttClient).c_str());
    if (m_statusbar->GetStatusText(kPaneMessage) != broker) m_statusbar->SetStatusText(broker, kPaneMessage);
    // Without a link the lamps keep their last state, which may be old.
    const bool linkUp = m_mqttClient == nullptr || m_mqttClient->isConnected();
    for (int i = 0; i < GetViewCount(); ++i)
        if (auto* realtime = dynamic_cast<CViewRealtime*>(GetView(i))) realtime->SetLinkUp(linkUp);
    const struct {
        int pane;
        wxKeyCode key;
        const char* text;
    } indicators[] = {{kPaneCaps, WXK_CAPITAL, "CAP"}, {kPaneNum, WXK_NUMLOCK, "NUM"}, {kPaneScroll, WXK_SCROLL, "SCRL"}};
    for (const auto& ind : indicators) {
        const wxString text = wxGetKeyState(ind.key) ? wxString(ind.text) : wxString();
        if (m_statusbar->GetStatusText(ind.pane) != text) m_statusbar->SetStatusText(text, ind.pane);
    }
}
