#pragma once
// Protocols, table em_protocol.
#include <map>
#include <string>
#include <vector>

class EMProtocol {
public:
    virtual ~EMProtocol() = default;

    std::string id;
    std::string protocolName;  // first topic level of data sent down
    std::string protocolPlugins;
    std::vector<std::string> publishPlugins;  // publish_plugins split at ';'

    static bool createAll();
    static void releaseAll();
    static EMProtocol* getById(const std::string& id);
    static const std::map<std::string, EMProtocol*>& all();

    // ";a;;b;" -> {"a", "b"}: runs of ';' count as one, no empty entries.
    static std::vector<std::string> splitPlugins(const std::string& text);
};
