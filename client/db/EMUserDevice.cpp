#include "db/EMUserDevice.h"

#include <memory>

#include "db/CacheLoad.h"
#include "db/DbLog.h"
#include "db/EMDevice.h"
#include "db/RowFields.h"

namespace {
std::vector<EMUserDevice*> list;
}

bool EMUserDevice::createAll()
{
    return loadTable("em_user_device", [](const soci::row& row) {
        auto ud = std::make_unique<EMUserDevice>();
        ud->id = rowfields::text(row, "id");
        ud->user = rowfields::text(row, "user");
        ud->device = rowfields::text(row, "device");
        list.push_back(ud.release());
    }, [](const std::string& what) { dbLogError("error: %s create all userdevice", what); });
}

void EMUserDevice::releaseAll()
{
    for (EMUserDevice* ud : list)
        delete ud;
    list.clear();
}

std::vector<EMDevice*> EMUserDevice::getDevicesByUser(const std::string& userId)
{
    std::vector<EMDevice*> devices;
    for (const EMUserDevice* ud : list)
        if (ud->user == userId)
            if (EMDevice* device = EMDevice::getById(ud->device))
                devices.push_back(device);
    return devices;
}

const std::vector<EMUserDevice*>& EMUserDevice::all()
{
    return list;
}
