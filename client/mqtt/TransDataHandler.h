// The client's MQTT callback: sorts each message by topic, keeps the
// channel's communication state in its cached fault record and posts a copy
// (MsgBody) to the view that shows it, through the ViewRegistry.
//
//   "<C>/transup"        -> copy posted to ViewId::Debug
//   "<P>;<C>/CommStatus" -> relieve flag of the fault record of P set to bit 0
//                           of the payload's first byte; copy posted to
//                           ViewId::Realtime (only when P has a fault record)
// Everything else is dropped, and so is a message whose payload is larger
// than its kind allows (IntakeLimits.h). Runs on the MQTT client's thread;
// never touches a window.
#pragma once

#include "mqtt/ViewRegistry.h"
#include "quillet/MqttClient.h"

#include <string>

struct EMRealDataCommunication;
class FaultLookupWorker;

class TransDataHandler : public MqttClientHandler {
public:
    // Finds the fault record of a channel key (the cached or freshly fetched
    // record, or none).
    using FaultLookup = EMRealDataCommunication* (*)(const std::string& channelKey);

    // The application's handler: the process-wide registry, the cache only
    // (EMRealDataCommunication::findCached) and the process-wide
    // FaultLookupWorker for channels not cached yet, so this thread never
    // waits on the database.
    TransDataHandler();
    // With a worker, a message whose channel `lookup` does not find is
    // handed to it (FaultLookupWorker::queueMessage) instead of dropped.
    TransDataHandler(ViewRegistry& registry, FaultLookup lookup, FaultLookupWorker* worker = nullptr);
    ~TransDataHandler() override;

    // Returns 0 in every case.
    int onMessage(const char* topic, int topicLength, const unsigned char* payload, int payloadLength) override;

private:
    ViewRegistry& registry_;
    FaultLookup lookup_;
    FaultLookupWorker* worker_;
};
