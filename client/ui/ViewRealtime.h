#pragma once
// The first view: one large icon per device of the logged-in user, a green
// lamp while its channel communicates and a red one while an unrelieved fault
// is recorded. CommStatus messages reach it from the MQTT thread only as
// queued events.

#include <memory>

#include <wx/timer.h>

#include "mqtt/CommStatusCoalescer.h"
#include "mqtt/ViewRegistry.h"
#include "ui/LampGrid.h"
#include "ui/model/RealtimeChannels.h"
#include "ui/ViewBase.h"

class CViewRealtime : public CViewBase, public MsgReceiver {
public:
    static constexpr wxWindowID kListId = 1001;
    static constexpr int kBuildTimerId = 1;
    static constexpr int kBuildDelayMs = 100;
    // Least width of each icon's cell; the label sits at the bottom of a cell
    // this much higher than the label, right under its lamp.
    static constexpr int kIconSpacing = 84;
    static constexpr int kEdge = 20;  // list margin to the client area's top, right, bottom
    static constexpr int kGreenLamp = 0;
    static constexpr int kRedLamp = 1;

    // parent: the main frame; id: child-window id given by the frame;
    // context: the logged-in user whose devices are shown.
    CViewRealtime(wxWindow* parent, wxWindowID id, const ViewContext& context);
    ~CViewRealtime() override;

    // Thread-safe: hands a CommStatus message to the UI thread. Only the
    // channel's latest state is kept until the UI thread takes it (one entry
    // per channel of the view, one wake per batch); `body` is freed here. The
    // view registers itself (ViewId::Realtime) in its initial update, so the
    // message handler reaches it through the registry (receiveMsg).
    void PostCommStatus(MsgBody* body);
    void receiveMsg(std::unique_ptr<MsgBody> body) override;

    CLampGrid* GetList() const { return m_list; }
    const RealtimeChannels& GetChannels() const { return m_channels; }
    bool IsListBuilt() const { return m_listBuilt; }
    // kGreenLamp or kRedLamp shown by item `index`; -1 for no such item.
    int GetItemLamp(int index) const;
    // Whether the broker link is up; while it is down the lamps are drawn
    // greyed, since nothing keeps their state fresh.
    void SetLinkUp(bool up);
    bool LampsShownStale() const;

protected:
    void OnInitialUpdate() override;

private:
    void BuildList();
    // Shows `image` on every icon of the channel.
    void SetChannelLamp(const std::string& channelId, int image);
    // The lamp of a channel from its cached fault record; askWorker has the
    // fault lookup worker fetch a record that is not cached.
    static int LampOf(const std::string& channelId, bool askWorker);
    void PlaceList();

    void OnBuildTimer(wxTimerEvent& event);
    void OnCommStatus(wxThreadEvent& event);
    void OnSize(wxSizeEvent& event);

    CLampGrid* m_list = nullptr;
    wxTimer m_buildTimer;
    RealtimeChannels m_channels;
    CommStatusCoalescer m_pending;  // filled on the MQTT thread
    bool m_listBuilt = false;
    bool m_registered = false;

    wxDECLARE_EVENT_TABLE();
};
