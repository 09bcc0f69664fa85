// The latest communication state per channel, between the MQTT thread and
// the realtime view. A burst of messages for one channel costs one entry (the
// latest state wins), so what waits for the view is bounded by the number of
// channels, and the view is woken once per batch instead of once per message.
// Thread-safe.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

class CommStatusCoalescer {
public:
    struct Update {
        std::string channelKey;
        std::uint8_t state;  // bit 0 of the payload's first byte
    };

    // Records `state` as the channel's latest. True when the consumer has to
    // be woken: nothing was pending since its last take().
    bool offer(const std::string& channelKey, std::uint8_t state);

    // Everything pending, each channel once with its latest state, in the
    // order the channels first arrived since the last take().
    std::vector<Update> take();

    std::size_t pending() const;

private:
    mutable std::mutex mutex_;
    std::vector<Update> updates_;
    std::unordered_map<std::string, std::size_t> slotOf_;  // channel key -> index in updates_
};
