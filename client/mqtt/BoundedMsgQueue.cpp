#include "mqtt/BoundedMsgQueue.h"

BoundedMsgQueue::BoundedMsgQueue(std::size_t maxMessages, std::size_t maxBytes)
    : maxMessages_(maxMessages), maxBytes_(maxBytes) {}

std::size_t BoundedMsgQueue::costOf(const MsgBody& body) {
    // Both arrays with their zero bytes and the object itself.
    return static_cast<std::size_t>(body.topicLength) + static_cast<std::size_t>(body.payloadLength) + 2 +
           sizeof(MsgBody);
}

BoundedMsgQueue::Push BoundedMsgQueue::push(std::unique_ptr<MsgBody> body) {
    if (!body) return Push::Queued;
    const std::size_t cost = costOf(*body);
    std::lock_guard<std::mutex> lock(mutex_);
    if (queue_.size() >= maxMessages_ || bytes_ + cost > maxBytes_) {
        ++dropped_;
        return Push::Dropped;  // `body` is freed on return
    }
    const bool wake = queue_.empty();
    bytes_ += cost;
    queue_.push_back(std::move(body));
    return wake ? Push::QueuedWake : Push::Queued;
}

std::vector<std::unique_ptr<MsgBody>> BoundedMsgQueue::take(std::size_t byteBudget, bool& more) {
    std::vector<std::unique_ptr<MsgBody>> out;
    std::lock_guard<std::mutex> lock(mutex_);
    std::size_t taken = 0;
    while (!queue_.empty() && (out.empty() || taken < byteBudget)) {
        const std::size_t cost = costOf(*queue_.front());
        taken += cost;
        bytes_ -= cost;
        out.push_back(std::move(queue_.front()));
        queue_.pop_front();
    }
    more = !queue_.empty();
    return out;
}

std::size_t BoundedMsgQueue::size() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return queue_.size();
}

std::size_t BoundedMsgQueue::bytes() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return bytes_;
}

std::size_t BoundedMsgQueue::dropped() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return dropped_;
}
