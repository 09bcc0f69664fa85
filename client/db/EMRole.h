#pragma once
// Roles, table em_role.
#include <map>
#include <string>

class EMRole {
public:
    virtual ~EMRole() = default;

    std::string id;
    std::string name;

    static bool createAll();
    static void releaseAll();
    static EMRole* getById(const std::string& id);
    static const std::map<std::string, EMRole*>& all();
};
