#include "ui/model/RealtimeChannels.h"

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
