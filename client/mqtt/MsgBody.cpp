#include "mqtt/MsgBody.h"

#include <cstring>

namespace {

template <typename T>
T* zeroFilledCopy(const void* src, int& length) {
    if (src == nullptr || length < 0) {
        length = 0;
    }
    T* buffer = new T[static_cast<size_t>(length) + 1]();
    if (length > 0) {
        std::memcpy(buffer, src, static_cast<size_t>(length));
    }
    return buffer;
}

}  // namespace

MsgBody::MsgBody(const char* topicIn, int topicLengthIn, const unsigned char* payloadIn,
                 int payloadLengthIn)
    : topic(nullptr), topicLength(topicLengthIn), payload(nullptr), payloadLength(payloadLengthIn) {
    topic = zeroFilledCopy<char>(topicIn, topicLength);
    try {
        payload = zeroFilledCopy<unsigned char>(payloadIn, payloadLength);
    } catch (...) {
        delete[] topic;
        throw;
    }
}

MsgBody::~MsgBody() {
    delete[] payload;
    delete[] topic;
}
