#include "mqtt/ChannelSubscriptions.h"

#include "db/EMDevice.h"
#include "db/EMPassageway.h"
#include "db/EMUserDevice.h"
#include "mqtt/Topics.h"
#include "quillet/MqttClient.h"

std::vector<std::string> channelTopicsForUser(const std::string& userId) {
    std::vector<std::string> topics;
    for (EMDevice* device : EMUserDevice::getDevicesByUser(userId)) {
        if (device == nullptr) {
            continue;
        }
        EMPassageway* channel = EMPassageway::getById(device->passageway);
        if (channel == nullptr) {
            continue;
        }
        topics.push_back(transupTopic(channel->communication));
        topics.push_back(commStatusTopic(channel->id, channel->communication));
    }
    return topics;
}

void subscribeUserChannels(MqttClient& client, const std::string& userId) {
    for (const std::string& topic : channelTopicsForUser(userId)) {
        client.subscribe(topic.c_str());
    }
}
