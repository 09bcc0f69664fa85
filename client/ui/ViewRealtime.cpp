#include "ui/ViewRealtime.h"

#include <wx/bitmap.h>

#include "db/EMDevice.h"
#include "db/EMPassageway.h"
#include "db/EMRealDataCommunication.h"
#include "db/EMUserDevice.h"
#include "mqtt/FaultLookupWorker.h"
#include "mqtt/MsgBody.h"
#include "mqtt/ViewRegistry.h"
#include "res/lamp_green.xpm"
#include "res/lamp_red.xpm"
#include "ui/UiText.h"

namespace {
// Owned by the queued event; freed with the last copy of it, so a message
// still queued when the view goes away is not leaked.
using SharedBody = std::shared_ptr<MsgBody>;
}  // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(CViewRealtime, CViewBase)
    EVT_TIMER(CViewRealtime::kBuildTimerId, CViewRealtime::OnBuildTimer)
    EVT_THREAD(CViewRealtime::kCommStatusMessage, CViewRealtime::OnCommStatus)
    EVT_SIZE(CViewRealtime::OnSize)
wxEND_EVENT_TABLE()
// clang-format on

CViewRealtime::CViewRealtime(wxWindow* parent, wxWindowID id, const ViewContext& context)
    : CViewBase(parent, id, context), m_buildTimer(this, kBuildTimerId) {
    // The one control of the form: an icon list filling the view.
    m_list = new wxListCtrl(this, kListId, wxPoint(kEdge, kEdge), wxSize(200, 200),
                            wxLC_ICON | wxLC_ALIGN_LEFT | wxBORDER_NONE);
}

CViewRealtime::~CViewRealtime() {
    // No post may reach this object once its window starts going away.
    if (m_registered) ViewRegistry::instance().unregisterView(ViewId::Realtime, this);
    m_buildTimer.Stop();
}

void CViewRealtime::OnInitialUpdate() {
    CViewBase::OnInitialUpdate();
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

    m_lamps = std::make_unique<wxImageList>(64, 64, true, 8);
    m_lamps->Add(wxBitmap(lamp_green_xpm));  // kGreenLamp; white pixels are transparent
    m_lamps->Add(wxBitmap(lamp_red_xpm));    // kRedLamp
    m_list->SetImageList(m_lamps.get(), wxIMAGE_LIST_NORMAL);
    m_list->SetItemSpacing(kIconSpacing);  // after the image list, which resets it

    const auto& items = m_channels.items();
    for (std::size_t i = 0; i < items.size(); ++i)
        m_list->InsertItem(static_cast<long>(i), quorvel::ui::gbkToUi(items[i].name), kGreenLamp);
    m_listBuilt = true;
    for (const std::string& channelId : m_channels.channelOrder()) RefreshChannel(channelId);
}

int CViewRealtime::LampOf(const std::string& channelId) {
    // Only the cache: the UI thread never waits on the database. A channel
    // not cached yet is looked up by the worker, which posts a CommStatus
    // for it when a fault row turns up; until then it shows no fault.
    const EMRealDataCommunication* record = EMRealDataCommunication::findCached(channelId);
    if (record == nullptr) FaultLookupWorker::instance().queueRefresh(channelId);
    const Lamp lamp = lampFor(record != nullptr, record ? record->relieveFlag.load() : 1);
    return lamp == Lamp::Red ? kRedLamp : kGreenLamp;
}

void CViewRealtime::RefreshChannel(const std::string& channelId) {
    if (!m_listBuilt) return;  // the build reads every channel's state anyway
    const int image = LampOf(channelId);
    const auto& items = m_channels.items();
    for (int index : m_channels.itemsOf(channelId)) {
        const auto& item = items[static_cast<std::size_t>(index)];
        m_list->SetItem(index, 0, quorvel::ui::gbkToUi(item.name), image);
    }
}

int CViewRealtime::GetItemLamp(int index) const {
    wxListItem item;
    item.SetId(index);
    item.SetMask(wxLIST_MASK_IMAGE);
    return m_list->GetItem(item) ? item.GetImage() : -1;
}

void CViewRealtime::receiveMsg(unsigned message, std::unique_ptr<MsgBody> body) {
    if (message != kMsgCommStatus || !body) return;  // dropping the body frees it
    auto* event = new wxThreadEvent(wxEVT_THREAD, kCommStatusMessage);
    event->SetPayload(SharedBody(std::move(body)));
    wxQueueEvent(this, event);
}

void CViewRealtime::PostCommStatus(MsgBody* body) { receiveMsg(kMsgCommStatus, std::unique_ptr<MsgBody>(body)); }

void CViewRealtime::OnCommStatus(wxThreadEvent& event) {
    const SharedBody body = event.GetPayload<SharedBody>();
    if (!body || !body->topic) return;
    const std::string channelId = RealtimeChannels::channelOfTopic(std::string(body->topic));
    if (!channelId.empty() && m_channels.contains(channelId)) RefreshChannel(channelId);
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
