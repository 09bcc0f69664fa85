#include "ui/ViewRealtime.h"

#include <map>

#include <wx/bitmap.h>

#include "db/EMDevice.h"
#include "db/EMPassageway.h"
#include "db/EMRealDataCommunication.h"
#include "db/EMUserDevice.h"
#include "mqtt/FaultLookupWorker.h"
#include "mqtt/MsgBody.h"
#include "mqtt/Topics.h"
#include "mqtt/ViewRegistry.h"
#include "res/lamp_green.xpm"
#include "res/lamp_red.xpm"
#include "ui/UiText.h"
#include "ui/ViewEvents.h"

// clang-format off
wxBEGIN_EVENT_TABLE(CViewRealtime, CViewBase)
    EVT_TIMER(CViewRealtime::kBuildTimerId, CViewRealtime::OnBuildTimer)
    EVT_SIZE(CViewRealtime::OnSize)
wxEND_EVENT_TABLE()
// clang-format on

CViewRealtime::CViewRealtime(wxWindow* parent, wxWindowID id, const ViewContext& context)
    : CViewBase(parent, id, context), m_buildTimer(this, kBuildTimerId) {
    // The one control of the form: an icon list filling the view.
    m_list = new CLampGrid(this, kListId, wxPoint(kEdge, kEdge), wxSize(200, 200));
    Bind(EVT_COMM_STATUS, &CViewRealtime::OnCommStatus, this);
}

CViewRealtime::~CViewRealtime() {
    // No post may reach this object once its window starts going away.
    if (m_registered) ViewRegistry::instance().unregisterView(ViewId::Realtime, this);
    m_buildTimer.Stop();
}

void CViewRealtime::OnInitialUpdate() {
    CViewBase::OnInitialUpdate();
    // The MQTT thread reads the channels while the view is registered.
    if (m_registered) ViewRegistry::instance().unregisterView(ViewId::Realtime, this);
    m_registered = false;
    m_channels.clear();
    for (const EMDevice* device : EMUserDevice::getDevicesByUser(GetContext().userId)) {
        if (!device) continue;
        const EMPassageway* channel = EMPassageway::getById(device->passageway);
        if (!channel) continue;  // a device on an unknown channel is not shown
        m_channels.add(channel->id, device->name);
    }
    ViewRegistry::instance().registerView(ViewId::Realtime, this);
    m_registered = true;
    m_buildTimer.StartOnce(kBuildDelayMs);
    PlaceList();
}

void CViewRealtime::OnBuildTimer(wxTimerEvent&) {
    m_buildTimer.Stop();
    if (!m_listBuilt) BuildList();
}

void CViewRealtime::BuildList() {
    m_list->SetBackgroundColour(GetViewColour());
    m_list->SetForegroundColour(*wxWHITE);

    // kGreenLamp, kRedLamp; white pixels are transparent.
    m_list->SetLampImages(wxBitmap(lamp_green_xpm), wxBitmap(lamp_red_xpm));
    m_list->SetItemSpacing(kIconSpacing);

    // Every channel's fault record in one query rather than one per channel;
    // when that fails, the worker looks them up channel by channel.
    const bool cached = EMRealDataCommunication::cacheUnrelieved(m_channels.channelOrder());
    std::map<std::string, int> lampOfChannel;
    for (const std::string& channelId : m_channels.channelOrder()) lampOfChannel[channelId] = LampOf(channelId, !cached);
    std::vector<CLampGrid::Item> icons;
    icons.reserve(m_channels.items().size());
    for (const auto& item : m_channels.items())
        icons.push_back({quorvel::ui::gbkToUi(item.name), lampOfChannel[item.channelId]});
    m_list->SetItems(std::move(icons));
    m_listBuilt = true;
}

int CViewRealtime::LampOf(const std::string& channelId, bool askWorker) {
    // Only the cache: the UI thread never waits on the database. A channel
    // not cached is looked up by the worker when asked (the list's one query
    // failed) or when its next CommStatus comes; the worker posts a
    // CommStatus for it when a fault row turns up, until then it shows no
    // fault.
    const EMRealDataCommunication* record = EMRealDataCommunication::findCached(channelId);
    if (record == nullptr && askWorker) FaultLookupWorker::instance().queueRefresh(channelId);
    const Lamp lamp = lampFor(record != nullptr, record ? record->relieveFlag.load() : 1);
    return lamp == Lamp::Red ? kRedLamp : kGreenLamp;
}

void CViewRealtime::SetChannelLamp(const std::string& channelId, int image) {
    if (!m_listBuilt) return;  // the build reads every channel's state anyway
    for (int index : m_channels.itemsOf(channelId)) m_list->SetItemLamp(index, image);
}

int CViewRealtime::GetItemLamp(int index) const { return m_list->GetItemLamp(index); }

void CViewRealtime::SetLinkUp(bool up) { m_list->SetStale(!up); }

bool CViewRealtime::LampsShownStale() const { return m_list->IsStale(); }

void CViewRealtime::receiveMsg(std::unique_ptr<MsgBody> body) {
    if (!body || !body->topic) return;  // dropping the body frees it
    // m_channels is filled before the view registers and never changes
    // afterwards, so reading it here, on the MQTT thread, is safe.
    const std::string channelId(commStatusChannel(std::string_view(body->topic, body->topicLength)));
    if (channelId.empty() || !m_channels.contains(channelId)) return;
    const std::uint8_t state = body->payload ? (body->payload[0] & 1u) : 0;
    if (m_pending.offer(channelId, state)) wxQueueEvent(this, new wxThreadEvent(EVT_COMM_STATUS));
}

void CViewRealtime::PostCommStatus(MsgBody* body) { receiveMsg(std::unique_ptr<MsgBody>(body)); }

void CViewRealtime::OnCommStatus(wxThreadEvent&) {
    // Each channel once, however many messages came for it since the last
    // batch. The handler posts only for a channel with a fault record, after
    // storing the state in it, so the latest state is what the record holds:
    // the lamp follows it without taking the record cache's lock, which the
    // MQTT thread may hold through a database lookup.
    for (const CommStatusCoalescer::Update& update : m_pending.take()) {
        const Lamp lamp = lampFor(true, update.state);
        SetChannelLamp(update.channelKey, lamp == Lamp::Red ? kRedLamp : kGreenLamp);
    }
}

void CViewRealtime::OnSize(wxSizeEvent& event) {
    event.Skip();
    PlaceList();
}

void CViewRealtime::PlaceList() {
    if (!m_list) return;
    const wxSize client = GetClientSize();
    const int left = m_list->GetPosition().x;
    m_list->SetSize(left, kEdge, std::max(0, client.x - kEdge - left), std::max(0, client.y - 2 * kEdge));
}
