// The start-up subscriptions: for every device assigned to the user (in
// assignment order) whose channel record exists, "<C>/transup" and then
// "<P>;<C>/CommStatus" (P the channel id, C its communication text).
// Devices sharing a channel repeat its topics; nothing is de-duplicated.
#pragma once

#include <string>
#include <vector>

class MqttClient;

// The topics in subscription order, from the loaded record caches.
std::vector<std::string> channelTopicsForUser(const std::string& userId);

// Subscribes `client` to channelTopicsForUser(userId); results are not
// examined (a topic the client refuses is simply not received).
void subscribeUserChannels(MqttClient& client, const std::string& userId);
