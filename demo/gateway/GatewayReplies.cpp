#include "GatewayReplies.h"

std::string gatewayReply(const std::string& downPayload) {
    if (downPayload.size() >= 2 && (downPayload[0] == 'A' || downPayload[0] == 'a') &&
        (downPayload[1] == 'T' || downPayload[1] == 't')) {
        return "OK\r\n";
    }
    return "ECHO " + downPayload;
}
