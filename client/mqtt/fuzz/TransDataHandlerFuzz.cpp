// libFuzzer target: the handler's topic/payload path. Input: first byte
// chooses which views are open, then the topic up to the first zero byte,
// then the payload. Fault records come from a fixed in-memory table so the
// run needs no server.
#include "db/EMRealDataCommunication.h"
#include "mqtt/MsgBody.h"
#include "mqtt/Topics.h"
#include "mqtt/TransDataHandler.h"
#include "mqtt/ViewRegistry.h"

#include <cstdint>
#include <cstring>
#include <map>
#include <string>

namespace {

EMRealDataCommunication* fixedFaults(const std::string& key) {
    static std::map<std::string, EMRealDataCommunication> records = [] {
        std::map<std::string, EMRealDataCommunication> m;
        m["7"].device = "7";
        m["8"].device = "8";
        m[std::string("\xff", 1)].device = "\xff";
        return m;
    }();
    auto it = records.find(key);
    return it == records.end() ? nullptr : &it->second;
}

// Reads every byte it is given, so ASan sees any overrun of the copy.
class TouchingView : public MsgReceiver {
public:
    explicit TouchingView(bool realtime) : realtime_(realtime) {}
    void receiveMsg(std::unique_ptr<MsgBody> body) override {
        unsigned sum = 0;
        for (int i = 0; i <= body->topicLength; ++i) {
            sum += static_cast<unsigned char>(body->topic[i]);
        }
        for (int i = 0; i <= body->payloadLength; ++i) {
            sum += body->payload[i];
        }
        if (body->topic[body->topicLength] != 0 || body->payload[body->payloadLength] != 0) {
            __builtin_trap();  // the copy must end in zero bytes
        }
        if (realtime_ && routeTopic(std::string_view(body->topic, body->topicLength)).kind !=
                                             TopicRoute::Kind::CommStatus) {
            __builtin_trap();  // only CommStatus topics reach the realtime view
        }
        checksum += sum;
    }
    unsigned checksum = 0;

private:
    bool realtime_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    static ViewRegistry registry;
    static TouchingView debugView(false), realtimeView(true);
    static TransDataHandler handler(registry, &fixedFaults);

    uint8_t mode = data[0];
    (mode & 1) ? registry.registerView(ViewId::Debug, &debugView) : registry.unregisterView(ViewId::Debug, &debugView);
    (mode & 2) ? registry.registerView(ViewId::Realtime, &realtimeView)
               : registry.unregisterView(ViewId::Realtime, &realtimeView);
    ++data;
    --size;

    // Exact-size heap copies: the topic with its zero byte, the payload with
    // its zero byte, as quillet delivers them.
    const uint8_t* zero = static_cast<const uint8_t*>(std::memchr(data, 0, size));
    size_t topicLength = zero ? static_cast<size_t>(zero - data) : size;
    size_t payloadLength = zero ? size - topicLength - 1 : 0;
    std::unique_ptr<char[]> topic(new char[topicLength + 1]);
    std::memcpy(topic.get(), data, topicLength);
    topic[topicLength] = 0;
    std::unique_ptr<unsigned char[]> payload(new unsigned char[payloadLength + 1]);
    if (payloadLength > 0) {
        std::memcpy(payload.get(), zero + 1, payloadLength);
    }
    payload[payloadLength] = 0;

    handler.onMessage(topic.get(), static_cast<int>(topicLength), payload.get(), static_cast<int>(payloadLength));
    // Lengths that disagree with the text must not lead past the buffers.
    if (mode & 4) {
        handler.onMessage(topic.get(), static_cast<int>(topicLength / 2), payload.get(), 0);
    }
    return 0;
}
