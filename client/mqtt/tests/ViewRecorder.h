// A MsgReceiver that keeps every body it is given, for the handler tests.
#pragma once

#include "mqtt/ViewRegistry.h"

#include <mutex>
#include <string>
#include <vector>

struct PostedMsg {
    std::string topic;
    std::string payload;  // payloadLength bytes
    int topicLength = 0;
    bool zeroAfterTopic = false;
    bool zeroAfterPayload = false;
};

class ViewRecorder : public MsgReceiver {
public:
    void receiveMsg(std::unique_ptr<MsgBody> body) override {
        PostedMsg m;
        m.topic.assign(body->topic, static_cast<size_t>(body->topicLength));
        m.topicLength = body->topicLength;
        m.payload.assign(reinterpret_cast<const char*>(body->payload), static_cast<size_t>(body->payloadLength));
        m.zeroAfterTopic = body->topic[body->topicLength] == 0;
        m.zeroAfterPayload = body->payload[body->payloadLength] == 0;
        std::lock_guard<std::mutex> lock(mutex_);
        posted_.push_back(std::move(m));
        // `body` is freed here, as a view frees it after handling
    }
    std::vector<PostedMsg> posted() {
        std::lock_guard<std::mutex> lock(mutex_);
        return posted_;
    }
    size_t count() {
        std::lock_guard<std::mutex> lock(mutex_);
        return posted_.size();
    }
    void clear() {
        std::lock_guard<std::mutex> lock(mutex_);
        posted_.clear();
    }

private:
    std::mutex mutex_;
    std::vector<PostedMsg> posted_;
};
