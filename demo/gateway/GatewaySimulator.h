// The simulated server/gateway side of the demo: flaps channels offline and
// back (writing and relieving fault rows the way the server does) and
// answers data sent down a channel.
#pragma once

#include "GatewayOptions.h"
#include "quillet/MqttClient.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace soci {
class session;
}

class GatewaySimulator : public MqttClientHandler {
public:
    explicit GatewaySimulator(const GatewayOptions& options);
    ~GatewaySimulator() override;

    // Connects to both servers and loads the channels; false with a message
    // on stderr when the database cannot be used.
    bool start();
    // Runs until `stopFlag` is set or the configured duration has passed;
    // channels still offline then are brought back (faults relieved).
    void run(const std::atomic<bool>& stopFlag);

    int onMessage(const char* topic, int topicLength, const unsigned char* payload, int payloadLength) override;

private:
    using Clock = std::chrono::steady_clock;
    struct Channel {
        std::string id;
        std::string communication;
        bool online = true;
        Clock::time_point backAt;
    };

    bool loadChannels();
    // The site-scale stream (options_.ratePerSecond > 0), GatewayRateStream.cpp.
    void runRateStream(const std::atomic<bool>& stopFlag);
    void writeStateFile() const;
    void takeOffline(Channel& channel, Clock::time_point now);
    void bringOnline(Channel& channel);
    void publishState(const Channel& channel);
    bool execute(const std::string& what, const std::function<void(soci::session&)>& statement);
    std::string newFaultId();

    GatewayOptions options_;
    std::unique_ptr<soci::session> sql_;
    MqttClient* client_ = nullptr;
    std::vector<Channel> channels_;
    std::mt19937 random_;
};
