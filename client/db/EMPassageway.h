#pragma once
// Communication channels, table em_passageway.
#include <map>
#include <string>

class EMPassageway {
public:
    virtual ~EMPassageway() = default;

    std::string id;
    std::string name;
    std::string protocol;  // protocol id (EMProtocol)
    int period = 2000;
    int timeout = 1000;
    int retry = 1;
    std::string communication;  // the channel's MQTT topic root

    static bool createAll();
    static void releaseAll();
    static EMPassageway* getById(const std::string& id);
    static const std::map<std::string, EMPassageway*>& all();
};
