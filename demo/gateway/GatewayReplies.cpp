#include "GatewayReplies.h"

#include <vector>

std::string gatewayReply(const std::string& downPayload) {
    if (downPayload.size() >= 2 && (downPayload[0] == 'A' || downPayload[0] == 'a') &&
        (downPayload[1] == 'T' || downPayload[1] == 't')) {
        return "OK\r\n";
    }
    return "ECHO " + downPayload;
}

std::string transdownChannel(const std::string& topic) {
    std::vector<std::string> levels;
    size_t start = 0;
    for (;;) {
        size_t slash = topic.find('/', start);
        levels.push_back(topic.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
        if (slash == std::string::npos) {
            break;
        }
        start = slash + 1;
    }
    if (levels.size() != 3 || levels[2] != "transdown" || levels[1].empty()) {
        return "";
    }
    return levels[1];
}
