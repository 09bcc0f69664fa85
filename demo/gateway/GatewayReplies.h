// What the simulated field side answers to data sent down a channel.
#pragma once

#include <string>

// "AT..." commands (any case) get "OK\r\n"; anything else is echoed back
// behind "ECHO ".
std::string gatewayReply(const std::string& downPayload);
