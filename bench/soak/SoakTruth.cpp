#include "SoakTruth.h"

#include <mosquitto.h>

SoakTruth::SoakTruth(const std::string& host, int port, const std::string& user, const std::string& password) {
    mosquitto_lib_init();
    mosq_ = mosquitto_new(nullptr, true, this);
    mosquitto_username_pw_set(mosq_, user.c_str(), password.c_str());
    mosquitto_connect_callback_set(mosq_, &SoakTruth::onConnect);
    mosquitto_message_callback_set(mosq_, &SoakTruth::onMessage);
    mosquitto_reconnect_delay_set(mosq_, 1, 2, false);
    mosquitto_connect_async(mosq_, host.c_str(), port, 10);
    mosquitto_loop_start(mosq_);
}

SoakTruth::~SoakTruth() {
    mosquitto_disconnect(mosq_);
    mosquitto_loop_stop(mosq_, true);
    mosquitto_destroy(mosq_);
}

void SoakTruth::onConnect(mosquitto* m, void*, int rc) {
    if (rc == 0) mosquitto_subscribe(m, nullptr, "+/CommStatus", 0);
}

void SoakTruth::onMessage(mosquitto*, void* obj, const mosquitto_message* msg) {
    auto* self = static_cast<SoakTruth*>(obj);
    const std::string topic(msg->topic);
    const auto semicolon = topic.find(';');
    const auto slash = topic.find('/');
    const std::string key = topic.substr(0, std::min(semicolon, slash));
    const int state = msg->payloadlen > 0 ? (static_cast<const unsigned char*>(msg->payload)[0] & 1) : 0;
    std::lock_guard<std::mutex> lock(self->mutex_);
    self->states_[key] = state;
    ++self->messages_;
}

std::map<std::string, int> SoakTruth::snapshot() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return states_;
}

long long SoakTruth::messages() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return messages_;
}
