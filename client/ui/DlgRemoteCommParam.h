#pragma once
// CDlgRemoteCommParam: edits the database and broker settings. The caller
// reads the members after OK and takes them into the configuration.
#include <string>

#include <wx/textctrl.h>

#include "ui/DlgBase.h"
#include "ui/IpAddressCtrl.h"
#include "ui/MeterButton.h"
#include "ui/RemoteCommParams.h"

class CDlgRemoteCommParam : public CDlgBase {
public:
    CDlgRemoteCommParam(wxWindow* parent, const quorvel::ui::RemoteCommParams& start);

    // The values after OK (the start values before).
    const quorvel::ui::RemoteCommParams& Values() const { return m_values; }

    CIpAddressCtrl* DbAddress() const { return m_dbIp; }
    CIpAddressCtrl* MqttAddress() const { return m_mqttIp; }

private:
    void OnOK(wxCommandEvent& event);
    void OnCancel(wxCommandEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void OnClose(wxCloseEvent& event);

    // Reads a port field; complains and keeps the focus there when it is bad.
    bool TakePort(wxTextCtrl* field, int& port);
    // A configured address that the four fields cannot show (a host name)
    // is kept unless the user edits the fields.
    static std::string TakeAddress(const CIpAddressCtrl* ctrl, const std::string& configured);

    quorvel::ui::RemoteCommParams m_values;
    CIpAddressCtrl* m_dbIp = nullptr;
    wxTextCtrl* m_dbPort = nullptr;
    wxTextCtrl* m_dbUser = nullptr;
    wxTextCtrl* m_dbPassword = nullptr;
    wxTextCtrl* m_dbName = nullptr;
    CIpAddressCtrl* m_mqttIp = nullptr;
    wxTextCtrl* m_mqttPort = nullptr;
    wxTextCtrl* m_mqttUser = nullptr;
    wxTextCtrl* m_mqttPassword = nullptr;
    CMeterButton* m_ok = nullptr;
    CMeterButton* m_cancel = nullptr;

    wxDECLARE_EVENT_TABLE();
};
