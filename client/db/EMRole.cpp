#include "db/EMRole.h"

#include <memory>

#include "db/CacheLoad.h"
#include "db/DbLog.h"
#include "db/RowFields.h"

namespace {
std::map<std::string, EMRole*> cache;
}

bool EMRole::createAll()
{
    return loadTable("em_role", [](const soci::row& row) {
        auto r = std::make_unique<EMRole>();
        r->id = rowfields::text(row, "id");
        r->name = rowfields::text(row, "name");
        std::string id = r->id;
        if (cache.emplace(id, r.get()).second)
            r.release();
    }, [](const std::string& what) { dbLogError("error: %s create all role", what); });
}

void EMRole::releaseAll()
{
    for (auto& entry : cache)
        delete entry.second;
    cache.clear();
}

EMRole* EMRole::getById(const std::string& id)
{
    auto it = cache.find(id);
    return it == cache.end() ? nullptr : it->second;
}

const std::map<std::string, EMRole*>& EMRole::all()
{
    return cache;
}
