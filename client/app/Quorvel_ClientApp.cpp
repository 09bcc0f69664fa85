#include "app/Quorvel_ClientApp.h"

#include <string>

#include <wx/gdicmn.h>
#include <wx/msgdlg.h>

#include "app/ClientShutdown.h"
#include "app/Config.h"
#include "app/Globals.h"
#include "app/DevTrace.h"
#include "db/DbLog.h"
#include "db/EMUser.h"
#include "mqtt/BrokerLink.h"
#include "mqtt/ChannelSubscriptions.h"
#include "mqtt/TransDataHandler.h"
#include "pellorn/LogWrapper.h"
#include "quillet/MqttClient.h"
#include "res/UiStrings.h"
#include "ui/AboutDlg.h"
#include "ui/AppIcon.h"
#include "ui/DlgLogin.h"
#include "ui/MainFrame.h"
#include "ui/MessageBox.h"
#include "ui/UiText.h"
#include "vintrel/TrayTool.h"

TransDataHandler* g_transDataHandler = nullptr;
MqttClient* g_mqttClient = nullptr;

wxIMPLEMENT_APP(CQuorvel_ClientApp);

namespace {
constexpr const char* kProgramName = "Quorvel_Client";
}  // namespace

CQuorvel_ClientApp::CQuorvel_ClientApp() : instanceMutex_(kProgramName) {}

CQuorvel_ClientApp::~CQuorvel_ClientApp() = default;

bool CQuorvel_ClientApp::Fail() {
    ExitInstance();
    return false;
}

bool CQuorvel_ClientApp::InitInstance() {
    SetAppName(kProgramName);

    // One copy only: a second start tells the user and ends.
    if (instanceMutex_.acquire() == SingleInstance::Result::AlreadyRunning) {
        quorvel::ui::ShowMessageBox(uistr::kAlreadyRunning, uistr::kErrorCaption, wxOK, nullptr);
        return Fail();
    }

    // The program's own folder first: the logger and the configuration
    // files are found beside it.
    initModuleDir();
    g_logWrapper = createLogWrapper(kProgramName);
    setDbLogWrapper(g_logWrapper);  // the record classes' failures go there
    Config::getInstance()->loadAll();

    // Log in; anything but OK ends the program without a main window.
    {
        CDlgLogin login(nullptr);
        if (login.ShowModal() != wxID_OK) {
            noMainWindow_ = true;
            return true;
        }
        loginUser = login.SelectedUser();
    }
    startupTrace("000000");

    // Tray tool (its icon is installed once the main window exists).
    trayTool = CreateTrayTool();

    // The main window with its views, shown maximised.
    startupTrace("000000111111");
    startupTrace("000000222222");
    ViewContext context;
    if (loginUser) {
        context.userId = loginUser->id;
        context.roleId = loginUser->role;
    }
    auto* frame = new CMainFrame(context);
    frame->SetTrayTool(trayTool);
    frame->SetAboutAction([this](wxWindow* parent) { OnAppAbout(parent); });
    SetTopWindow(frame);
    // The program ends with its main window. On Windows the tray icon owns a
    // hidden top-level window of its own, which would keep the loop running
    // until the icon is released, and that happens only after the loop.
    frame->Bind(wxEVT_DESTROY, [this, frame](wxWindowDestroyEvent& event) {
        if (event.GetEventObject() == frame)
            ExitMainLoop();
        event.Skip();
    });
    startupTrace("000000333333");
    // Without a window manager a maximise request is ignored: start at the
    // size of the work area so every view's controls fit either way.
    frame->SetSize(wxGetClientDisplayRect());
    frame->Maximize(true);
    frame->Show(true);
    frame->Update();
    startupTrace("000000444444");

    // Icon, tray icon, title and tip.
    const wxIcon icon = QuorvelAppIcon();
    frame->SetIcon(icon);
    if (trayTool) trayTool->ShowTray(frame, CMainFrame::kTrayCallbackMessage, icon, true, nullptr);
    frame->SetTitle(uistr::kAppTitle);
    if (trayTool) trayTool->SetTipText(quorvel::ui::uiToUtf8(uistr::kAppTitle).c_str());
    startupTrace("111111");

    // The MQTT client with its handler; a broker that cannot be reached yet
    // does not stop the start (the client keeps retrying in the background).
    g_transDataHandler = new TransDataHandler;
    g_mqttClient = createBrokerClient(g_transDataHandler, Config::getInstance()->workParam);
    frame->SetMqttClient(g_mqttClient);  // the status bar shows the link
    startupTrace("222222");

    // Two topics per channel of the user's devices.
    if (loginUser) subscribeUserChannels(*g_mqttClient, loginUser->id);
    startupTrace("333333");
    return true;
}

int CQuorvel_ClientApp::OnRun() {
    if (noMainWindow_) return 0;  // login cancelled: nothing to run
    return wxApp::OnRun();
}

int CQuorvel_ClientApp::ExitInstance() {
    if (exited_) return 0;
    exited_ = true;

    // MQTT client and handler, record caches and the pool's sessions;
    // loginUser pointed into the user cache.
    shutDownLiveDataAndDatabase(g_mqttClient, g_transDataHandler);
    loginUser = nullptr;

    Config::destroyInstance();

    ReleaseTrayTool(trayTool);
    trayTool = nullptr;

    setDbLogWrapper(nullptr);
    releaseLogWrapper(kProgramName);
    g_logWrapper = nullptr;

    instanceMutex_.release();
    return wxApp::OnExit();
}

void CQuorvel_ClientApp::OnAppAbout(wxWindow* parent) { ShowAboutDialog(parent); }
