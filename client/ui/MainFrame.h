#pragma once
// The client's main window: no menu, a toolbar of 38x38 picture buttons built
// from the configuration and the role's modules, a status bar, and one view
// shown at a time. Closing asks whether to quit or to hide to the tray.
//
// Views by index: 0 realtime, 1 history, 2 statistics, then one view per role
// module (menu_no 3 debug, 4 data modification). Toolbar buttons have ids
// 2001 + position: the three fixed views, the module views, About, Exit.

#include <functional>
#include <string>
#include <vector>

#include <wx/statusbr.h>
#include <wx/timer.h>
#include <wx/bmpbuttn.h>
#include <wx/panel.h>

#include "ui/MutiViewFrame.h"

class TrayTool;
class EMModule;
class MqttClient;

class CMainFrame : public CMutiViewFrame {
public:
    static constexpr int kFirstCommandId = 2001;
    static constexpr int kLastCommandId = 2035;
    // Id that the tray icon's notifications carry to this frame: the
    // program registers its tray icon with it, the frame listens for it.
    static constexpr int kTrayCallbackMessage = 0x401;

    // One toolbar button: its command id, image file name and tooltip.
    struct ToolbarButton {
        int commandId;
        std::string imageFile;  // UTF-8, under <g_moduleDir>/config/toolbar/
        wxString tip;
    };

    // Builds toolbar, status bar and all views for the logged-in user of
    // `context` (its role decides the module views) and runs the views'
    // initial update. The frame starts hidden; the application shows it.
    explicit CMainFrame(const ViewContext& context);
    ~CMainFrame() override;

    // Tray tool of the application (not owned). "No" in the exit prompt hides
    // the frame only while the tool's icon is in a tray.
    void SetTrayTool(TrayTool* tray) { m_tray = tray; }

    // The broker connection shown in the status bar (not owned; may be null).
    void SetMqttClient(const MqttClient* client) {
        m_mqttClient = client;
        UpdateStatusPanes();
    }

    // The About command; by default a modal About box of the application.
    void SetAboutAction(std::function<void(wxWindow*)> action) { m_about = std::move(action); }

    int GetModuleViewCount() const { return m_moduleViewCount; }
    const std::vector<ToolbarButton>& GetToolbarButtons() const { return m_buttons; }
    // The toolbar: a strip in the toolbar colour holding one picture button
    // per entry of GetToolbarButtons() (window id = command id).
    wxPanel* GetMainToolBar() const { return m_toolbar; }
    wxBitmapButton* GetToolButton(int commandId) const;
    wxStatusBar* GetMainStatusBar() const { return m_statusbar; }

    // The exit prompt's text (four lines) and the note shown when there is no
    // tray to hide to.
    static wxString ExitPromptText();
    static wxString NoTrayText();

private:
    void BuildStatusBar();
    void BuildToolBar(const std::vector<const EMModule*>& modules);
    void CreateModuleViews(const std::vector<const EMModule*>& modules);
    void UpdateStatusPanes();

    void OnCommand(wxCommandEvent& event);
    void OnClose(wxCloseEvent& event);
    void OnTrayNotify(wxCommandEvent& event);
    void OnStatusTimer(wxTimerEvent& event);

    ViewContext m_context;
    wxPanel* m_toolbar = nullptr;
    wxStatusBar* m_statusbar = nullptr;
    std::vector<ToolbarButton> m_buttons;
    int m_moduleViewCount = 0;
    TrayTool* m_tray = nullptr;
    const MqttClient* m_mqttClient = nullptr;
    std::function<void(wxWindow*)> m_about;
    wxTimer m_statusTimer;

    wxDECLARE_EVENT_TABLE();
};
