#include "mqtt/TopicPieces.h"

std::vector<std::string_view> splitPieces(std::string_view text, char separator, size_t maxPieces) {
    std::vector<std::string_view> pieces;
    size_t pos = 0;
    while (pieces.size() < maxPieces) {
        pos = text.find_first_not_of(separator, pos);
        if (pos == std::string_view::npos) {
            break;
        }
        size_t end = text.find(separator, pos);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        pieces.push_back(text.substr(pos, end - pos));
        pos = end;
    }
    return pieces;
}

TopicRoute routeTopic(std::string_view topic) {
    TopicRoute route;
    std::vector<std::string_view> pieces = splitPieces(topic, '/', 2);
    if (pieces.size() < 2) {
        return route;
    }
    if (pieces[1] == "transup") {
        route.kind = TopicRoute::Kind::TransUp;
    } else if (pieces[1] == "CommStatus") {
        std::vector<std::string_view> keys = splitPieces(pieces[0], ';', 1);
        if (!keys.empty()) {
            route.kind = TopicRoute::Kind::CommStatus;
            route.channelKey = keys[0];
        }
    }
    return route;
}
