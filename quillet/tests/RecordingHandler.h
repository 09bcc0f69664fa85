// A handler that keeps what it receives, for the client tests.
#pragma once

#include "quillet/MqttClient.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

struct ReceivedMessage {
    std::string topic;
    int topicLength = 0;
    std::string payload;       // payloadLength bytes
    int payloadLength = 0;
    bool zeroAfterPayload = false;
    bool topicMatchesLength = false;
};

class RecordingHandler : public MqttClientHandler {
public:
    ~RecordingHandler() override { alive = false; }

    int onMessage(const char* topic, int topicLength, const unsigned char* payload, int payloadLength) override {
        if (!alive) {
            lateCalls++;  // a call after the owner thought we were gone
        }
        ReceivedMessage m;
        m.topic = topic;
        m.topicLength = topicLength;
        m.topicMatchesLength = static_cast<int>(m.topic.size()) == topicLength;
        m.payload.assign(reinterpret_cast<const char*>(payload), static_cast<size_t>(payloadLength));
        m.payloadLength = payloadLength;
        m.zeroAfterPayload = payload[payloadLength] == 0;
        if (onEach) {
            onEach(m);
        }
        std::lock_guard<std::mutex> lock(mutex);
        messages.push_back(std::move(m));
        return 0;
    }

    size_t count() {
        std::lock_guard<std::mutex> lock(mutex);
        return messages.size();
    }

    void clear() {
        std::lock_guard<std::mutex> lock(mutex);
        messages.clear();
    }

    // Everything received except on `skipTopic` (probes).
    std::vector<ReceivedMessage> snapshotWithout(const std::string& skipTopic) {
        std::lock_guard<std::mutex> lock(mutex);
        std::vector<ReceivedMessage> out;
        for (const auto& m : messages) {
            if (m.topic != skipTopic) {
                out.push_back(m);
            }
        }
        return out;
    }

    std::vector<ReceivedMessage> snapshot() {
        std::lock_guard<std::mutex> lock(mutex);
        return messages;
    }

    std::atomic<bool> alive{true};
    std::atomic<int> lateCalls{0};
    std::function<void(const ReceivedMessage&)> onEach;
    std::mutex mutex;
    std::vector<ReceivedMessage> messages;
};
