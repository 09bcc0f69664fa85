// What the simulated field side answers to data sent down a channel.
#pragma once

#include <string>

// "AT..." commands (any case) get "OK\r\n"; anything else is echoed back
// behind "ECHO ".
std::string gatewayReply(const std::string& downPayload);

// The communication text C of a "<protocol>/<C>/transdown" topic, or "" when
// the topic has another shape.
std::string transdownChannel(const std::string& topic);
