#include "db/EMDeviceGroupItem.h"

#include <algorithm>
#include <memory>

#include "db/CacheLoad.h"
#include "db/ConnectionPool.h"
#include "db/PooledSession.h"
#include "db/DbLog.h"
#include "db/RowFields.h"
#include "db/SessionRetry.h"

namespace {
std::map<std::string, EMDeviceGroupItem*> cache;
}

bool EMDeviceGroupItem::createAll()
{
    return loadTable("em_device_group_item", [](const soci::row& row) {
        auto item = std::make_unique<EMDeviceGroupItem>();
        item->id = rowfields::text(row, "id");
        item->dataItem = rowfields::text(row, "data_item");
        item->groupId = rowfields::text(row, "group_id");
        item->b0 = rowfields::integer(row, "b0", -1);
        item->b1 = rowfields::integer(row, "b1", -1);
        item->b2 = rowfields::integer(row, "b2", -1);
        item->b3 = rowfields::integer(row, "b3", -1);
        item->b4 = rowfields::integer(row, "b4", 0);
        item->c0 = rowfields::text(row, "c0");
        item->c1 = rowfields::text(row, "c1");
        item->c2 = rowfields::text(row, "c2");
        item->c3 = rowfields::text(row, "c3");
        item->c4 = rowfields::text(row, "c4");
        item->dataType = rowfields::integer(row, "data_type", kDouble);
        std::string id = item->id;
        if (cache.emplace(id, item.get()).second)
            item.release();
    }, [](const std::string& what) { dbLogError("error:%s creat all device group item", what); });
}

void EMDeviceGroupItem::releaseAll()
{
    for (auto& entry : cache)
        delete entry.second;
    cache.clear();
}

std::vector<EMDeviceGroupItem*> EMDeviceGroupItem::getByGroup(const std::string& groupId)
{
    std::vector<EMDeviceGroupItem*> items;
    for (auto& [id, item] : cache)
        if (item->groupId == groupId)
            items.push_back(item);
    std::stable_sort(items.begin(), items.end(),
                     [](const EMDeviceGroupItem* a, const EMDeviceGroupItem* b) { return a->b3 < b->b3; });
    return items;
}

const std::map<std::string, EMDeviceGroupItem*>& EMDeviceGroupItem::all()
{
    return cache;
}

bool EMDeviceGroupItem::update()
{
    try {
        PooledSession lease;
        soci::session& sql = lease.get();
        runWithReconnect(sql, [&] {
            sql << "update em_device_group_item set data_item=:data_item,group_id=:group_id,"
                   "b0=:b0,b1=:b1,b2=:b2,b3=:b3,b4=:b4,c0=:c0,c1=:c1,c2=:c2,c3=:c3,c4=:c4,"
                   "data_type=:data_type where id=:id",
                soci::use(dataItem, "data_item"), soci::use(groupId, "group_id"),
                soci::use(b0, "b0"), soci::use(b1, "b1"), soci::use(b2, "b2"), soci::use(b3, "b3"),
                soci::use(b4, "b4"), soci::use(c0, "c0"), soci::use(c1, "c1"), soci::use(c2, "c2"),
                soci::use(c3, "c3"), soci::use(c4, "c4"), soci::use(dataType, "data_type"),
                soci::use(id, "id");
        });
        return true;
    } catch (const std::exception& e) {
        dbLogError("error:%s update device gorup item", dbErrorText(e));
        return false;
    }
}
