// One MQTT message copied for a view: topic and payload, each followed by a
// zero byte so both can be read as C strings. Made by TransDataHandler on the
// MQTT thread, owned from then on by whoever receives it (see ViewRegistry.h).
#pragma once

class MsgBody {
public:
    // Copies `topicLength` bytes of `topic` and `payloadLength` bytes of
    // `payload`. A null pointer or a negative length counts as length 0.
    MsgBody(const char* topic, int topicLength, const unsigned char* payload, int payloadLength);
    virtual ~MsgBody();

    MsgBody(const MsgBody&) = delete;
    MsgBody& operator=(const MsgBody&) = delete;

    char* topic;             // topicLength + 1 bytes, the last one zero
    int topicLength;
    unsigned char* payload;  // payloadLength + 1 bytes, the last one zero
    int payloadLength;
};
