// Where the MQTT thread hands messages to the views, without knowing windows.
//
// Each view takes one kind of message, so the view id is the whole route:
// ViewId::Debug receives "transup" traffic, ViewId::Realtime "CommStatus"
// traffic. A view that wants messages implements MsgReceiver (in the UI: it
// queues an event of its own type to itself, ViewEvents.h) and registers
// under its ViewId when it is ready; it unregisters before its window is
// destroyed. TransDataHandler posts through the registry; a post to an id
// with no receiver frees the body. All operations are thread-safe.
//
//   class CViewDebug : public ..., public MsgReceiver {
//       void receiveMsg(std::unique_ptr<MsgBody> body) override {
//           keep body for the UI thread;
//           wxQueueEvent(this, new wxThreadEvent(EVT_TRANS_DATA));
//       }
//   };
//   ViewRegistry::instance().registerView(ViewId::Debug, this);     // end of initial update
//   ViewRegistry::instance().unregisterView(ViewId::Debug, this);   // before the window goes
#pragma once

#include "mqtt/MsgBody.h"

#include <memory>
#include <mutex>

enum class ViewId { Realtime = 0, Debug = 1 };

class MsgReceiver {
public:
    virtual ~MsgReceiver() = default;

    // Called on the posting (MQTT) thread with the registry's lock held: only
    // queue the body to the UI thread and return; never block on the UI
    // thread and never call back into the registry. The receiver owns `body`
    // from here on (dropping the unique_ptr frees it).
    virtual void receiveMsg(std::unique_ptr<MsgBody> body) = 0;
};

class ViewRegistry {
public:
    ViewRegistry() = default;
    ViewRegistry(const ViewRegistry&) = delete;
    ViewRegistry& operator=(const ViewRegistry&) = delete;

    // The process-wide registry used by the application and its handler.
    static ViewRegistry& instance();

    // Makes `receiver` the target for `id`, replacing any previous one.
    void registerView(ViewId id, MsgReceiver* receiver);

    // Removes `receiver` if it is the one registered for `id` (a stale
    // unregister from a replaced view changes nothing). When this returns, no
    // post to `receiver` is running or will start.
    void unregisterView(ViewId id, MsgReceiver* receiver);

    bool isRegistered(ViewId id) const;

    // Hands `body` to the receiver of `id`; true when delivered. Without a
    // receiver the body is freed here and false returned.
    bool post(ViewId id, std::unique_ptr<MsgBody> body);

private:
    static constexpr int kViewCount = 2;
    mutable std::mutex mutex_;
    MsgReceiver* receivers_[kViewCount] = {};
};
