#include "db/EMProtocol.h"

#include <memory>

#include "app/DevTrace.h"
#include "db/CacheLoad.h"
#include "db/RowFields.h"

namespace {
std::map<std::string, EMProtocol*> cache;
}

std::vector<std::string> EMProtocol::splitPlugins(const std::string& text)
{
    std::vector<std::string> names;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find(';', pos);
        if (end == std::string::npos)
            end = text.size();
        if (end > pos)
            names.push_back(text.substr(pos, end - pos));
        pos = end + 1;
    }
    return names;
}

bool EMProtocol::createAll()
{
    return loadTable("em_protocol", [](const soci::row& row) {
        auto p = std::make_unique<EMProtocol>();
        p->id = rowfields::text(row, "id");
        p->protocolName = rowfields::text(row, "protocol_name");
        p->protocolPlugins = rowfields::text(row, "protocol_plugins");
        p->publishPlugins = splitPlugins(rowfields::text(row, "publish_plugins"));
        for (const std::string& name : p->publishPlugins)
            traceText("publish plugin filename: " + name + "\n");
        std::string id = p->id;
        if (cache.emplace(id, p.get()).second)
            p.release();
    }, nullptr);
}

void EMProtocol::releaseAll()
{
    for (auto& entry : cache)
        delete entry.second;
    cache.clear();
}

EMProtocol* EMProtocol::getById(const std::string& id)
{
    auto it = cache.find(id);
    return it == cache.end() ? nullptr : it->second;
}

const std::map<std::string, EMProtocol*>& EMProtocol::all()
{
    return cache;
}
