#pragma once
// The application object: start-up (InitInstance) and shutdown
// (ExitInstance) of the client, in their fixed order.
#include <memory>

#include <wx/app.h>

#include "app/SingleInstance.h"

class EMUser;
class TrayTool;
class TransDataHandler;
class MqttClient;
class wxFrame;

// The message handler and the MQTT client of the running program.
extern TransDataHandler* g_transDataHandler;
extern MqttClient* g_mqttClient;

class CQuorvel_ClientApp : public wxApp {
public:
    CQuorvel_ClientApp();
    ~CQuorvel_ClientApp() override;

    bool OnInit() override { return InitInstance(); }
    int OnRun() override;
    int OnExit() override { return ExitInstance(); }

    bool InitInstance();
    int ExitInstance();

    // The About command (toolbar, main frame).
    void OnAppAbout(wxWindow* parent);

    EMUser* loginUser = nullptr;  // the record of the user who logged in (not owned)
    TrayTool* trayTool = nullptr;

private:
    // Start-up cannot go on: shut down whatever was started so far (the
    // shutdown copes with parts that never started), then fail.
    bool Fail();

    SingleInstance instanceMutex_;
    bool noMainWindow_ = false;  // login cancelled: end without running
    bool exited_ = false;
};

wxDECLARE_APP(CQuorvel_ClientApp);
