#pragma once
// User-device assignments, table em_user_device (a list in load order).
#include <string>
#include <vector>

class EMDevice;

class EMUserDevice {
public:
    virtual ~EMUserDevice() = default;

    std::string id;
    std::string user;    // user id
    std::string device;  // device id

    static bool createAll();
    static void releaseAll();
    // Devices assigned to the user in assignment order, unknown device ids
    // skipped, repeated assignments repeated.
    static std::vector<EMDevice*> getDevicesByUser(const std::string& userId);
    static const std::vector<EMUserDevice*>& all();
};
