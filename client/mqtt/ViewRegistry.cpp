#include "mqtt/ViewRegistry.h"

namespace {

int slotOf(ViewId id) {
    int slot = static_cast<int>(id);
    return (slot == 0 || slot == 1) ? slot : -1;
}

}  // namespace

ViewRegistry& ViewRegistry::instance() {
    static ViewRegistry registry;
    return registry;
}

void ViewRegistry::registerView(ViewId id, MsgReceiver* receiver) {
    int slot = slotOf(id);
    if (slot < 0) {
        return;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    receivers_[slot] = receiver;
}

void ViewRegistry::unregisterView(ViewId id, MsgReceiver* receiver) {
    int slot = slotOf(id);
    if (slot < 0) {
        return;
    }
    // Posts run under the same lock, so once we hold it no post to
    // `receiver` is in progress.
    std::lock_guard<std::mutex> lock(mutex_);
    if (receivers_[slot] == receiver) {
        receivers_[slot] = nullptr;
    }
}

bool ViewRegistry::isRegistered(ViewId id) const {
    int slot = slotOf(id);
    if (slot < 0) {
        return false;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    return receivers_[slot] != nullptr;
}

bool ViewRegistry::post(ViewId id, std::unique_ptr<MsgBody> body) {
    int slot = slotOf(id);
    if (slot < 0) {
        return false;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    MsgReceiver* receiver = receivers_[slot];
    if (receiver == nullptr) {
        return false;  // `body` is freed on return
    }
    receiver->receiveMsg(std::move(body));
    return true;
}
