#include "ui/RealtimeChannels.h"

namespace {
// Pieces of `text` between separators, as strtok gives them.
std::vector<std::string> splitPieces(const std::string& text, char sep) {
    std::vector<std::string> pieces;
    std::string::size_type pos = 0;
    while (pos < text.size()) {
        auto start = text.find_first_not_of(sep, pos);
        if (start == std::string::npos) break;
        auto end = text.find(sep, start);
        if (end == std::string::npos) end = text.size();
        pieces.push_back(text.substr(start, end - start));
        pos = end;
    }
    return pieces;
}
}  // namespace

void RealtimeChannels::clear() {
    m_items.clear();
    m_order.clear();
    m_byChannel.clear();
}

int RealtimeChannels::add(const std::string& channelId, const std::string& deviceName) {
    const int index = static_cast<int>(m_items.size());
    m_items.push_back({channelId, deviceName});
    auto& slots = m_byChannel[channelId];
    if (slots.empty()) m_order.push_back(channelId);
    slots.push_back(index);
    return index;
}

std::vector<int> RealtimeChannels::itemsOf(const std::string& channelId) const {
    auto it = m_byChannel.find(channelId);
    return it == m_byChannel.end() ? std::vector<int>{} : it->second;
}

std::string RealtimeChannels::channelOfTopic(const std::string& topic) {
    const auto parts = splitPieces(topic, '/');
    if (parts.size() < 2) return {};
    const auto keys = splitPieces(parts[0], ';');
    return keys.empty() ? std::string{} : keys[0];
}
