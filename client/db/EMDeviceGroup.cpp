#include "db/EMDeviceGroup.h"

#include <algorithm>
#include <memory>

#include "db/CacheLoad.h"
#include "db/RowFields.h"

namespace {
std::map<std::string, EMDeviceGroup*> cache;
}

bool EMDeviceGroup::createAll()
{
    return loadTable("em_device_group", [](const soci::row& row) {
        auto g = std::make_unique<EMDeviceGroup>();
        g->id = rowfields::text(row, "id");
        g->groupName = rowfields::text(row, "group_name");
        g->collectNo = rowfields::integer(row, "collect_no", 1);
        g->b0 = rowfields::integer(row, "b0", -1);
        g->b1 = rowfields::integer(row, "b1", -1);
        g->b2 = rowfields::integer(row, "b2", -1);
        g->b3 = rowfields::integer(row, "b3", -1);
        g->b4 = rowfields::integer(row, "b4", -1);
        g->c0 = rowfields::text(row, "c0");
        g->c1 = rowfields::text(row, "c1");
        g->c2 = rowfields::text(row, "c2");
        g->c3 = rowfields::text(row, "c3");
        g->c4 = rowfields::text(row, "c4");
        g->device = rowfields::text(row, "device");
        std::string id = g->id;
        if (cache.emplace(id, g.get()).second)
            g.release();
    }, nullptr);
}

void EMDeviceGroup::releaseAll()
{
    for (auto& entry : cache)
        delete entry.second;
    cache.clear();
}

std::vector<EMDeviceGroup*> EMDeviceGroup::getByDevice(const std::string& deviceId)
{
    std::vector<EMDeviceGroup*> groups;
    for (auto& [id, group] : cache)
        if (group->device == deviceId)
            groups.push_back(group);
    std::stable_sort(groups.begin(), groups.end(),
                     [](const EMDeviceGroup* a, const EMDeviceGroup* b) { return a->b1 < b->b1; });
    return groups;
}

EMDeviceGroup* EMDeviceGroup::getById(const std::string& id)
{
    auto it = cache.find(id);
    return it == cache.end() ? nullptr : it->second;
}

const std::map<std::string, EMDeviceGroup*>& EMDeviceGroup::all()
{
    return cache;
}
