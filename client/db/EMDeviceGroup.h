#pragma once
// Data groups of a device, table em_device_group.
#include <map>
#include <string>
#include <vector>

struct EMDeviceGroup {
    std::string id;
    std::string groupName;
    int collectNo = 1;
    int b0 = -1;
    int b1 = -1;  // sort key of the groups of a device
    int b2 = -1;
    int b3 = -1;
    int b4 = -1;
    std::string c0, c1, c2, c3;
    std::string c4;      // name of the table with the group's measurements
    std::string device;  // device id

    static bool createAll();
    static void releaseAll();
    // Groups of the device, by b1 ascending; equal b1 keep id order.
    static std::vector<EMDeviceGroup*> getByDevice(const std::string& deviceId);
    static EMDeviceGroup* getById(const std::string& id);
    static const std::map<std::string, EMDeviceGroup*>& all();
};
