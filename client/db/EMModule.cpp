#include "db/EMModule.h"

#include <memory>

#include "db/CacheLoad.h"
#include "db/DbLog.h"
#include "db/RowFields.h"

namespace {
std::map<std::string, EMModule*> cache;
}

bool EMModule::createAll()
{
    return loadTable("em_module", [](const soci::row& row) {
        auto m = std::make_unique<EMModule>();
        m->id = rowfields::text(row, "id");
        m->menuNo = rowfields::integer(row, "menu_no", 0);
        m->menuPicFile = rowfields::text(row, "menu_pic_file");
        m->name = rowfields::text(row, "name");
        std::string id = m->id;
        if (cache.emplace(id, m.get()).second)
            m.release();
    }, [](const std::string& what) { dbLogError("error: %s create all module", what); });
}

void EMModule::releaseAll()
{
    for (auto& entry : cache)
        delete entry.second;
    cache.clear();
}

EMModule* EMModule::getById(const std::string& id)
{
    auto it = cache.find(id);
    return it == cache.end() ? nullptr : it->second;
}

const std::map<std::string, EMModule*>& EMModule::all()
{
    return cache;
}
