#pragma once
// Role-module assignments, table em_role_module (a list in load order).
#include <string>
#include <vector>

class EMModule;

class EMRoleModule {
public:
    virtual ~EMRoleModule() = default;

    std::string id;
    std::string role;    // role id
    std::string module;  // module id

    static bool createAll();
    static void releaseAll();
    // Modules assigned to the role, by menu number ascending (stable);
    // unknown module ids are skipped, repeated assignments repeat.
    static std::vector<EMModule*> getModulesByRole(const std::string& roleId);
    static const std::vector<EMRoleModule*>& all();
};
