#include "mqtt/TransDataHandler.h"

#include "app/DevTrace.h"
#include "db/EMRealDataCommunication.h"
#include "mqtt/IntakeLimits.h"
#include "mqtt/FaultLookupWorker.h"
#include "mqtt/Topics.h"

#include <cstring>
#include <memory>
#include <string>

TransDataHandler::TransDataHandler()
    : TransDataHandler(ViewRegistry::instance(), &EMRealDataCommunication::findCached, &FaultLookupWorker::instance()) {}

TransDataHandler::TransDataHandler(ViewRegistry& registry, FaultLookup lookup, FaultLookupWorker* worker)
    : registry_(registry), lookup_(lookup), worker_(worker) {}

TransDataHandler::~TransDataHandler() = default;

int TransDataHandler::onMessage(const char* topic, int topicLength, const unsigned char* payload, int payloadLength) {
    if (topic == nullptr || topicLength <= 0) {
        return 0;
    }
    if (payload == nullptr || payloadLength < 0) {
        payloadLength = 0;
    }
    // Never read past the given length, even if no zero byte follows it.
    std::string_view topicText(topic, strnlen(topic, static_cast<size_t>(topicLength)));

    if (messageTraceEnabled()) {
        messageTrace(std::string(topicText).append("\r\n"));
    }

    TopicRoute route = routeTopic(topicText);
    switch (route.kind) {
    case TopicRoute::Kind::Ignore:
        return 0;

    case TopicRoute::Kind::TransUp:
        if (payloadLength > intake::kMaxTransUpPayload) {
            return 0;  // more than the debug view would ever keep: not copied
        }
        if (registry_.isRegistered(ViewId::Debug)) {
            registry_.post(ViewId::Debug, std::make_unique<MsgBody>(topicText.data(), static_cast<int>(topicText.size()), payload, payloadLength));
        }
        return 0;

    case TopicRoute::Kind::CommStatus: {
        if (payloadLength > intake::kMaxCommStatusPayload) {
            return 0;  // not a state message: no lookup, no copy
        }
        if (messageTraceEnabled()) {
            std::string line = "topic=" + std::string(topicText) + " msg: ";
            if (payload != nullptr) {
                line += std::string(reinterpret_cast<const char*>(payload),
                                    strnlen(reinterpret_cast<const char*>(payload), static_cast<size_t>(payloadLength)));
            }
            line += "\r\n";
            messageTrace(line);
        }
        // An empty payload reads as its terminating zero byte: failed.
        unsigned char first = (payload != nullptr && payloadLength > 0) ? payload[0] : 0;
        std::uint8_t state = first & 1u;
        const std::string key(route.channelKey);
        EMRealDataCommunication* record = lookup_ != nullptr ? lookup_(key) : nullptr;
        if (record == nullptr && worker_ != nullptr) {
            record = worker_->queueMessage(key, state, topicText.data(), static_cast<int>(topicText.size()), payload,
                                           payloadLength);
        }
        if (record == nullptr) {
            return 0;
        }
        record->relieveFlag.store(state);
        if (registry_.isRegistered(ViewId::Realtime)) {
            registry_.post(ViewId::Realtime, std::make_unique<MsgBody>(topicText.data(), static_cast<int>(topicText.size()), payload, payloadLength));
        }
        return 0;
    }
    }
    return 0;
}
