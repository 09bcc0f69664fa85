#include "ui/ViewDebug.h"

#include <algorithm>

#include "db/EMDevice.h"
#include "db/EMPassageway.h"
#include "db/EMProtocol.h"
#include "db/EMUserDevice.h"
#include "mqtt/IntakeLimits.h"
#include "mqtt/MsgBody.h"
#include "mqtt/Topics.h"
#include "quillet/MqttClient.h"
#include "ui/UiText.h"
#include "ui/ViewEvents.h"

// The program's MQTT client lives with the application object, which only
// the program itself links; programs that use the views without it (tests,
// tools) may define their own. Weak, so the library links either way.
extern MqttClient* g_mqttClient __attribute__((weak));

namespace {

// Received data shown per turn of the event loop.
constexpr std::size_t kTransDataSliceBytes = 256 * 1024;
using quorvel::ui::gbkToUi;

constexpr int kEdge = 20;             // left margin of every control
constexpr int kSendRightInset = 10;   // send area: right edge inside the client area
constexpr int kRecvRightInset = 10;   // receive area: right edge inside the client area
constexpr int kRecvBottomInset = 8;   // receive area: bottom edge inside the client area
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 28;

MqttClient* programMqttClient() { return &g_mqttClient != nullptr ? g_mqttClient : nullptr; }

}  // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(CViewDebug, CViewBase)
    EVT_BUTTON(CViewDebug::kSendButtonId, CViewDebug::OnSend)
    EVT_BUTTON(CViewDebug::kClearSendId, CViewDebug::OnClearSend)
    EVT_BUTTON(CViewDebug::kClearReceiveId, CViewDebug::OnClearReceive)
    EVT_CHOICE(CViewDebug::kDeviceListId, CViewDebug::OnDeviceChanged)
    EVT_TIMER(CViewDebug::kShowTimerId, CViewDebug::OnShowTimer)
    EVT_SIZE(CViewDebug::OnSize)
wxEND_EVENT_TABLE()
// clang-format on

wxString CViewDebug::UnknownProtocolText() { return wxString(L"通道的协议未知，未发送"); }
wxString CViewDebug::SendFailedText() { return wxString(L"发送失败：MQTT服务器未连接"); }

CViewDebug::CViewDebug(wxWindow* parent, wxWindowID id, const ViewContext& context)
    : CViewBase(parent, id, context),
      m_incoming(intake::kDebugQueueMessages, intake::kDebugQueueBytes),
      m_showTimer(this, kShowTimerId) {
    CreateControls();
    Bind(EVT_TRANS_DATA, &CViewDebug::OnTransData, this);
}

CViewDebug::~CViewDebug() {
    // No post may reach this object once its window starts going away.
    if (m_registered) ViewRegistry::instance().unregisterView(ViewId::Debug, this);
}

void CViewDebug::CreateControls() {
    new wxStaticText(this, wxID_ANY, wxString(L"设备列表"), wxPoint(kEdge, 22));
    m_deviceList = new CDevicePicker(this, kDeviceListId, wxPoint(kEdge + 80, 16), wxSize(220, -1));
    m_deviceList->GetFilterBox()->SetSize(kEdge + 80 + 228, 16, 180, -1);

    new wxStaticText(this, wxID_ANY, wxString(L"发送区"), wxPoint(kEdge, 60));
    // Multi-line: Enter makes a line break (sent as CR LF).
    m_sendEdit = new wxTextCtrl(this, kSendEditId, wxEmptyString, wxPoint(kEdge, 80), wxSize(600, 110),
                                wxTE_MULTILINE | wxHSCROLL | wxVSCROLL);
    m_sendButton = new CMeterButton(this, kSendButtonId, wxString(L"发送"), wxPoint(kEdge, 198),
                                    wxSize(kButtonWidth, kButtonHeight));
    m_clearSendButton = new CMeterButton(this, kClearSendId, wxString(L"清空"),
                                         wxPoint(kEdge + kButtonWidth + 12, 198), wxSize(kButtonWidth, kButtonHeight));
    m_status = new wxStaticText(this, wxID_ANY, wxEmptyString, wxPoint(kEdge + 2 * (kButtonWidth + 12) + 8, 204),
                                wxSize(400, -1), wxST_NO_AUTORESIZE);

    new wxStaticText(this, wxID_ANY, wxString(L"接收区"), wxPoint(kEdge, 246));
    m_clearReceiveButton = new CMeterButton(this, kClearReceiveId, wxString(L"清空"), wxPoint(kEdge + 80, 238),
                                            wxSize(kButtonWidth, kButtonHeight));
    m_receiveEdit = new wxTextCtrl(this, kReceiveEditId, wxEmptyString, wxPoint(kEdge, 274), wxSize(600, 300),
                                   wxTE_MULTILINE | wxTE_READONLY | wxVSCROLL | wxTE_DONTWRAP);
}

void CViewDebug::OnInitialUpdate() {
    CViewBase::OnInitialUpdate();
    m_sendButton->SetMeterColorScheme();
    m_clearSendButton->SetMeterColorScheme();
    m_clearReceiveButton->SetMeterColorScheme();
    // The receive area, being read-only, is coloured as a static text.
    ApplyViewColours();

    std::vector<CDevicePicker::Entry> entries;
    for (EMDevice* device : EMUserDevice::getDevicesByUser(GetContext().userId)) {
        if (!device) continue;
        entries.push_back({gbkToUi(device->name), static_cast<void*>(device)});
    }
    m_deviceList->SetEntries(std::move(entries));
    if (m_deviceList->GetCount() > 0) {
        m_deviceList->SetSelection(0);
        const auto* device = static_cast<const EMDevice*>(m_deviceList->GetClientData(0));
        m_channel = device ? EMPassageway::getById(device->passageway) : nullptr;
    }

    m_layoutReady = true;
    PlaceControls();
    ViewRegistry::instance().registerView(ViewId::Debug, this);
    m_registered = true;
}

void CViewDebug::SelectChannelOfEntry(int entry) {
    if (entry == wxNOT_FOUND) return;
    const auto* device = static_cast<const EMDevice*>(m_deviceList->GetClientData(static_cast<unsigned>(entry)));
    const EMPassageway* channel = device ? EMPassageway::getById(device->passageway) : nullptr;
    if (channel == m_channel) return;  // same channel: the conversation goes on
    m_receive.clear();
    m_showPending.clear();
    m_showAll = false;
    m_shownBytes = 0;
    m_receiveEdit->ChangeValue(wxEmptyString);
    m_sendEdit->ChangeValue(wxEmptyString);
    m_channel = channel;
    ShowStatus(wxEmptyString);
}

void CViewDebug::OnDeviceChanged(wxCommandEvent&) { SelectChannelOfEntry(m_deviceList->GetSelection()); }

void CViewDebug::OnSend(wxCommandEvent&) {
    const wxString text = m_sendEdit->GetValue();
    if (!m_channel) return;
    const EMProtocol* protocol = EMProtocol::getById(m_channel->protocol);
    const std::string topic =
        protocol ? transdownTopic(protocol->protocolName, m_channel->communication) : std::string();
    if (topic.empty()) {
        // No topic to send on: sending anyway would go to a wrong one.
        ShowStatus(UnknownProtocolText());
        return;
    }
    const std::string payload = quorvel::ui::sendBytesOf(quorvel::ui::uiToGbk(text));
    MqttClient* client = programMqttClient();
    const bool sent = client && client->sendMessage(client, topic.c_str(),
                                                    reinterpret_cast<const unsigned char*>(payload.data()),
                                                    static_cast<int>(payload.size()));
    ShowStatus(sent ? wxString() : SendFailedText());
}

void CViewDebug::OnClearSend(wxCommandEvent&) { m_sendEdit->ChangeValue(wxEmptyString); }

void CViewDebug::OnClearReceive(wxCommandEvent&) {
    m_receive.clear();
    m_showPending.clear();  // nothing received before the clearing shows up later
    m_showAll = false;
    m_shownBytes = 0;
    m_receiveEdit->ChangeValue(wxEmptyString);
}

void CViewDebug::receiveMsg(std::unique_ptr<MsgBody> body) {
    if (!body) return;  // dropping the body frees it
    // Messages still queued when the view goes away are freed with the queue.
    if (m_incoming.push(std::move(body)) == BoundedMsgQueue::Push::QueuedWake)
        wxQueueEvent(this, new wxThreadEvent(EVT_TRANS_DATA));
}

void CViewDebug::PostTransData(MsgBody* body) { receiveMsg(std::unique_ptr<MsgBody>(body)); }

void CViewDebug::OnTransData(wxThreadEvent&) {
    // A slice at a time, so a flood leaves room for input and painting
    // between slices.
    bool more = false;
    for (const auto& body : m_incoming.take(kTransDataSliceBytes, more)) ShowTransData(*body);
    if (more) wxQueueEvent(this, new wxThreadEvent(EVT_TRANS_DATA));
    if (!m_showAll && m_showPending.empty()) return;
    if (!more) {
        // Caught up: the receive area shows everything now.
        m_showTimer.Stop();
        ShowReceived();
        return;
    }
    // Behind (a flood): the text control is brought up to date at most every
    // kShowIntervalMs, one update for many messages.
    if (m_showTimer.IsRunning()) return;
    const auto wait = std::chrono::milliseconds(kShowIntervalMs) - (std::chrono::steady_clock::now() - m_lastShown);
    if (wait <= std::chrono::milliseconds(0))
        ShowReceived();
    else
        m_showTimer.StartOnce(static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(wait).count()));
}

void CViewDebug::OnShowTimer(wxTimerEvent&) { ShowReceived(); }

void CViewDebug::ShowReceived() {
    if (!m_showAll && m_showPending.empty()) return;
    // Only the receive area changes: whatever is being typed in the send
    // area stays as it is, caret included.
    if (m_showAll || m_shownBytes + m_showPending.size() > kShownBytes) {
        // The newest part only: the text control lays out a long line anew
        // on every change, which for a mebibyte holds the UI thread for a
        // second (the whole bounded text stays in GetReceiveBytes()).
        const std::string_view newest = quorvel::ui::newestCharacters(m_receive.text(), kShownBytes);
        m_receiveEdit->ChangeValue(gbkToUi(std::string(newest)));
        m_shownBytes = newest.size();
    } else {
        m_receiveEdit->AppendText(gbkToUi(m_showPending));
        m_shownBytes += m_showPending.size();
    }
    m_showAll = false;
    m_showPending.clear();
    m_receiveEdit->ShowPosition(m_receiveEdit->GetLastPosition());
    m_lastShown = std::chrono::steady_clock::now();
}

void CViewDebug::ShowTransData(const MsgBody& body) {
    if (!body.topic || !m_channel) return;
    if (!isTransupOf(body.topic, m_channel->communication)) return;
    const auto appended = m_receive.append(std::string_view(reinterpret_cast<const char*>(body.payload),
                                                            static_cast<std::size_t>(body.payloadLength)));
    if (appended.trimmed) {
        m_showAll = true;  // the whole (bounded) text goes in again
        m_showPending.clear();
    } else if (!m_showAll) {
        m_showPending += appended.complete;
    }
}

void CViewDebug::ShowStatus(const wxString& text) {
    if (m_status->GetLabel() != text) m_status->SetLabel(text);
}

void CViewDebug::OnSize(wxSizeEvent& event) {
    event.Skip();
    PlaceControls();
}

void CViewDebug::PlaceControls() {
    if (!m_layoutReady) return;
    const wxSize client = GetClientSize();
    const wxRect send = m_sendEdit->GetRect();
    m_sendEdit->SetSize(send.x, send.y, std::max(0, client.x - kSendRightInset - send.x), send.height);
    const wxRect recv = m_receiveEdit->GetRect();
    m_receiveEdit->SetSize(recv.x, recv.y, std::max(0, client.x - kRecvRightInset - recv.x),
                           std::max(0, client.y - kRecvBottomInset - recv.y));
}
