#include "db/EMPassageway.h"

#include <memory>

#include "db/CacheLoad.h"
#include "db/RowFields.h"

namespace {
std::map<std::string, EMPassageway*> cache;
}

bool EMPassageway::createAll()
{
    return loadTable("em_passageway", [](const soci::row& row) {
        auto p = std::make_unique<EMPassageway>();
        p->id = rowfields::text(row, "id");
        p->name = rowfields::text(row, "name");
        p->protocol = rowfields::text(row, "protocol");
        p->period = rowfields::integer(row, "period", 2000);
        p->timeout = rowfields::integer(row, "timeout", 1000);
        p->retry = rowfields::integer(row, "retry", 1);
        p->communication = rowfields::text(row, "communication");
        std::string id = p->id;
        if (cache.emplace(id, p.get()).second)
            p.release();
    }, nullptr);
}

void EMPassageway::releaseAll()
{
    for (auto& entry : cache)
        delete entry.second;
    cache.clear();
}

EMPassageway* EMPassageway::getById(const std::string& id)
{
    auto it = cache.find(id);
    return it == cache.end() ? nullptr : it->second;
}

const std::map<std::string, EMPassageway*>& EMPassageway::all()
{
    return cache;
}
