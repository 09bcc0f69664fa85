#include "db/EMDevice.h"

#include "db/CacheLoad.h"
#include "db/RowFields.h"

namespace {
std::map<std::string, EMDevice*> cache;
}

bool EMDevice::createAll()
{
    return loadTable("em_device", [](const soci::row& row) {
        auto* d = new EMDevice;
        try {
            d->id = rowfields::text(row, "id");
            d->name = rowfields::text(row, "name");
            d->address = rowfields::integer(row, "address", 0);
            d->platformAddress = rowfields::text(row, "platform_address");
            d->areaCode = rowfields::text(row, "area_code");
            d->devType = rowfields::text(row, "dev_type");
            d->passageway = rowfields::text(row, "passageway");
            d->enable = rowfields::integer(row, "enable", 1) == 1;
            d->longitude = rowfields::text(row, "longitude");
            d->latitude = rowfields::text(row, "latitude");
        } catch (...) {
            delete d;
            throw;
        }
        if (!cache.emplace(d->id, d).second)
            delete d;  // a repeated id keeps the record loaded first
    }, nullptr);
}

void EMDevice::releaseAll()
{
    for (auto& entry : cache)
        delete entry.second;
    cache.clear();
}

EMDevice* EMDevice::getById(const std::string& id)
{
    auto it = cache.find(id);
    return it == cache.end() ? nullptr : it->second;
}

const std::map<std::string, EMDevice*>& EMDevice::all()
{
    return cache;
}
