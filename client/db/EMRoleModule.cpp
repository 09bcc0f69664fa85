#include "db/EMRoleModule.h"

#include <algorithm>
#include <memory>

#include "db/CacheLoad.h"
#include "db/DbLog.h"
#include "db/EMModule.h"
#include "db/RowFields.h"

namespace {
std::vector<EMRoleModule*> list;
}

bool EMRoleModule::createAll()
{
    return loadTable("em_role_module", [](const soci::row& row) {
        auto rm = std::make_unique<EMRoleModule>();
        rm->id = rowfields::text(row, "id");
        rm->role = rowfields::text(row, "role");
        rm->module = rowfields::text(row, "module");
        list.push_back(rm.release());
    }, [](const std::string& what) { dbLogError("error: %s create all rolemodule", what); });
}

void EMRoleModule::releaseAll()
{
    for (EMRoleModule* rm : list)
        delete rm;
    list.clear();
}

std::vector<EMModule*> EMRoleModule::getModulesByRole(const std::string& roleId)
{
    std::vector<EMModule*> modules;
    for (const EMRoleModule* rm : list)
        if (rm->role == roleId)
            if (EMModule* module = EMModule::getById(rm->module))
                modules.push_back(module);
    std::stable_sort(modules.begin(), modules.end(),
                     [](const EMModule* a, const EMModule* b) { return a->menuNo < b->menuNo; });
    return modules;
}

const std::vector<EMRoleModule*>& EMRoleModule::all()
{
    return list;
}
