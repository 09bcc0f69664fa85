#include "mqtt/Topics.h"

namespace {

constexpr std::string_view kTransUp = "transup";
constexpr std::string_view kCommStatus = "CommStatus";
constexpr std::string_view kTransDown = "transdown";

}  // namespace

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

std::string transupTopic(std::string_view communication) {
    std::string topic;
    topic.reserve(communication.size() + 1 + kTransUp.size());
    topic.append(communication).append("/").append(kTransUp);
    return topic;
}

std::string commStatusTopic(std::string_view channelId, std::string_view communication) {
    std::string topic;
    topic.reserve(channelId.size() + communication.size() + 2 + kCommStatus.size());
    topic.append(channelId).append(";").append(communication).append("/").append(kCommStatus);
    return topic;
}

std::string transdownTopic(std::string_view protocolName, std::string_view communication) {
    if (protocolName.empty() || communication.empty()) {
        return {};
    }
    std::string topic;
    topic.reserve(protocolName.size() + communication.size() + 2 + kTransDown.size());
    topic.append(protocolName).append("/").append(communication).append("/").append(kTransDown);
    return topic;
}

TopicRoute routeTopic(std::string_view topic) {
    TopicRoute route;
    std::vector<std::string_view> pieces = splitPieces(topic, '/', 2);
    if (pieces.size() < 2) {
        return route;
    }
    if (pieces[1] == kTransUp) {
        route.kind = TopicRoute::Kind::TransUp;
        route.communication = pieces[0];
    } else if (pieces[1] == kCommStatus) {
        std::vector<std::string_view> keys = splitPieces(pieces[0], ';', 1);
        if (!keys.empty()) {
            route.kind = TopicRoute::Kind::CommStatus;
            route.channelKey = keys[0];
        }
    }
    return route;
}

std::string_view commStatusChannel(std::string_view topic) {
    const TopicRoute route = routeTopic(topic);
    return route.kind == TopicRoute::Kind::CommStatus ? route.channelKey : std::string_view();
}

bool isTransupOf(std::string_view topic, std::string_view communication) {
    const TopicRoute route = routeTopic(topic);
    return !communication.empty() && route.kind == TopicRoute::Kind::TransUp && route.communication == communication;
}

std::string_view transdownCommunication(std::string_view topic) {
    const size_t first = topic.find('/');
    if (first == std::string_view::npos) {
        return {};
    }
    const size_t second = topic.find('/', first + 1);
    if (second == std::string_view::npos || topic.substr(second + 1) != kTransDown) {
        return {};
    }
    return topic.substr(first + 1, second - first - 1);
}
