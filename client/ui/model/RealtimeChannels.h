#pragma once
// Which device icon belongs to which communication channel, kept apart from
// the window so it can be checked without a display.
//
// Every device gets its own icon, in assignment order. Several devices may
// share a channel; a status change of that channel changes all their icons.

#include <map>
#include <string>
#include <vector>

class RealtimeChannels {
public:
    struct Item {
        std::string channelId;  // em_passageway.id
        std::string name;       // device name (GBK)
    };

    void clear();
    // Appends one device icon; returns its item index.
    int add(const std::string& channelId, const std::string& deviceName);

    const std::vector<Item>& items() const { return m_items; }
    // Channel ids in the order their first device was added.
    const std::vector<std::string>& channelOrder() const { return m_order; }
    // Item indexes of the channel's devices; empty for an unknown channel.
    std::vector<int> itemsOf(const std::string& channelId) const;
    bool contains(const std::string& channelId) const { return m_byChannel.count(channelId) != 0; }

private:
    std::vector<Item> m_items;
    std::vector<std::string> m_order;
    std::map<std::string, std::vector<int>> m_byChannel;
};

// Lamp of a channel: red only while a fault record exists with its relieve
// flag clear; green otherwise, also when there is no record.
enum class Lamp { Green = 0, Red = 1 };
inline Lamp lampFor(bool recordExists, unsigned char relieveFlag) {
    return recordExists && relieveFlag == 0 ? Lamp::Red : Lamp::Green;
}
