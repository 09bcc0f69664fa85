#pragma once
// Devices of the monitoring site, table em_device.
#include <map>
#include <string>

class EMDevice {
public:
    virtual ~EMDevice() = default;

    std::string id;
    std::string name;
    int address = 0;
    std::string platformAddress;
    std::string areaCode;
    std::string devType;
    std::string passageway;  // channel id (EMPassageway)
    bool enable = true;      // column value 1 (or NULL)
    std::string longitude;
    std::string latitude;

    // "select * from em_device" into the cache; false on any failure (the
    // rows read so far stay cached).
    static bool createAll();
    static void releaseAll();
    static EMDevice* getById(const std::string& id);
    // The whole cache, ordered by id (byte-wise).
    static const std::map<std::string, EMDevice*>& all();
};
