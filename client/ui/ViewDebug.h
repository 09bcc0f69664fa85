#pragma once
// The debug view: a terminal onto the channel of one device.
// Text typed in the send area goes down on "<protocol>/<communication>/
// transdown" as GBK bytes; "transup" data of the channel is appended to the
// receive area. Received data reaches the view from the MQTT thread only as
// queued events (through ViewRegistry).

#include <chrono>
#include <memory>
#include <string>

#include <wx/choice.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

#include "mqtt/BoundedMsgQueue.h"
#include "mqtt/ViewRegistry.h"
#include "ui/model/DebugTerminal.h"
#include "ui/DevicePicker.h"
#include "ui/MeterButton.h"
#include "ui/ViewBase.h"

class EMPassageway;
class MsgBody;

class CViewDebug : public CViewBase, public MsgReceiver {
public:
    static constexpr wxWindowID kSendEditId = 1011;
    static constexpr wxWindowID kSendButtonId = 1003;
    static constexpr wxWindowID kClearSendId = 1004;
    static constexpr wxWindowID kDeviceListId = 1000;
    static constexpr wxWindowID kReceiveEditId = 1010;
    static constexpr wxWindowID kClearReceiveId = 1008;
    static constexpr int kShowTimerId = 1;
    static constexpr int kShowIntervalMs = 200;  // least time between two updates of the receive area
    // The receive area shows the newest this many bytes of the received text.
    static constexpr std::size_t kShownBytes = 64 * 1024;

    // The main frame creates it as: new CViewDebug(frame, id, context).
    // parent: the main frame; id: child-window id chosen by the frame;
    // context: the logged-in user whose devices are listed.
    CViewDebug(wxWindow* parent, wxWindowID id, const ViewContext& context);
    ~CViewDebug() override;

    // Thread-safe: queues a transfer-data message for the UI thread, which
    // owns `body` from here on. The queue is bounded (IntakeLimits.h): while
    // the view is behind, data beyond it is dropped.
    void receiveMsg(std::unique_ptr<MsgBody> body) override;
    void PostTransData(MsgBody* body);

    const EMPassageway* GetCurrentChannel() const { return m_channel; }
    wxChoice* GetDeviceList() const { return m_deviceList; }
    wxTextCtrl* GetSendEdit() const { return m_sendEdit; }
    wxTextCtrl* GetReceiveEdit() const { return m_receiveEdit; }
    CMeterButton* GetSendButton() const { return m_sendButton; }
    CMeterButton* GetClearSendButton() const { return m_clearSendButton; }
    CMeterButton* GetClearReceiveButton() const { return m_clearReceiveButton; }
    // The view's own message line (send refused or failed).
    wxString GetStatusMessage() const { return m_status->GetLabel(); }
    // Receive text as GBK bytes, bounded (DebugTerminal.h); the receive area
    // shows the newest kShownBytes of it.
    const std::string& GetReceiveBytes() const { return m_receive.text(); }
    bool IsLayoutReady() const { return m_layoutReady; }
    // Transfer data dropped because the view was behind (the queue was full).
    std::size_t GetDroppedTransData() const { return m_incoming.dropped(); }

    // Fixed texts of the message line.
    static wxString UnknownProtocolText();
    static wxString SendFailedText();

protected:
    void OnInitialUpdate() override;

private:
    void CreateControls();
    void SelectChannelOfEntry(int entry);
    void ShowStatus(const wxString& text);
    void PlaceControls();

    void OnSend(wxCommandEvent& event);
    void OnClearSend(wxCommandEvent& event);
    void OnClearReceive(wxCommandEvent& event);
    void OnDeviceChanged(wxCommandEvent& event);
    void OnTransData(wxThreadEvent& event);
    void ShowTransData(const MsgBody& body);
    void ShowReceived();
    void OnShowTimer(wxTimerEvent& event);
    void OnSize(wxSizeEvent& event);

    CDevicePicker* m_deviceList = nullptr;
    wxTextCtrl* m_sendEdit = nullptr;
    wxTextCtrl* m_receiveEdit = nullptr;
    CMeterButton* m_sendButton = nullptr;
    CMeterButton* m_clearSendButton = nullptr;
    CMeterButton* m_clearReceiveButton = nullptr;
    wxStaticText* m_status = nullptr;

    const EMPassageway* m_channel = nullptr;  // current channel, or none
    quorvel::ui::ReceiveBuffer m_receive;
    bool m_layoutReady = false;
    bool m_registered = false;
    BoundedMsgQueue m_incoming;  // filled on the MQTT thread
    // Received text not in the receive area yet: appended bytes, or the
    // whole text when old text was dropped.
    std::string m_showPending;
    bool m_showAll = false;
    std::size_t m_shownBytes = 0;  // GBK bytes in the receive area
    wxTimer m_showTimer;
    std::chrono::steady_clock::time_point m_lastShown{};

    wxDECLARE_EVENT_TABLE();
};
