// Messages on their way from the MQTT thread to a view, bounded by count and
// by bytes: when the view falls behind, a message that does not fit is
// dropped (and counted) instead of growing the queue. The consumer is woken
// once when the queue stops being empty and takes messages in slices, so a
// flood never holds its thread in one piece. Thread-safe.
#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "mqtt/MsgBody.h"

class BoundedMsgQueue {
public:
    BoundedMsgQueue(std::size_t maxMessages, std::size_t maxBytes);

    enum class Push {
        Queued,      // the consumer is already due to run
        QueuedWake,  // wake the consumer
        Dropped,     // no room: the body has been freed
    };
    Push push(std::unique_ptr<MsgBody> body);

    // Takes messages in arrival order until their payloads reach `byteBudget`
    // (at least one message when any is queued). `more` tells whether some
    // are left: the consumer then runs again without a new wake; otherwise
    // the next push wakes it.
    std::vector<std::unique_ptr<MsgBody>> take(std::size_t byteBudget, bool& more);

    std::size_t size() const;
    std::size_t bytes() const;
    std::size_t dropped() const;

    // What a message counts against the byte bound.
    static std::size_t costOf(const MsgBody& body);

private:
    const std::size_t maxMessages_;
    const std::size_t maxBytes_;
    mutable std::mutex mutex_;
    std::deque<std::unique_ptr<MsgBody>> queue_;
    std::size_t bytes_ = 0;
    std::size_t dropped_ = 0;
};
