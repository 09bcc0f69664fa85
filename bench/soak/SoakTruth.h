// What the gateways last said about each channel, learnt from the broker by
// a client of its own ("+/CommStatus"): bit 0 of the first payload byte per
// channel key. Reconnects by itself when the broker restarts.
#pragma once

#include <map>
#include <mutex>
#include <string>

struct mosquitto;

class SoakTruth {
public:
    SoakTruth(const std::string& host, int port, const std::string& user, const std::string& password);
    ~SoakTruth();
    std::map<std::string, int> snapshot() const;
    long long messages() const;

private:
    static void onConnect(mosquitto* m, void* self, int rc);
    static void onMessage(mosquitto* m, void* self, const struct mosquitto_message* msg);
    mosquitto* mosq_ = nullptr;
    mutable std::mutex mutex_;
    std::map<std::string, int> states_;
    long long messages_ = 0;
};
