#include "mqtt/CommStatusCoalescer.h"

bool CommStatusCoalescer::offer(const std::string& channelKey, std::uint8_t state) {
    std::lock_guard<std::mutex> lock(mutex_);
    const bool wake = updates_.empty();
    auto [it, added] = slotOf_.try_emplace(channelKey, updates_.size());
    if (added)
        updates_.push_back({channelKey, state});
    else
        updates_[it->second].state = state;
    return wake;
}

std::vector<CommStatusCoalescer::Update> CommStatusCoalescer::take() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<Update> out;
    out.swap(updates_);
    slotOf_.clear();
    return out;
}

std::size_t CommStatusCoalescer::pending() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return updates_.size();
}
