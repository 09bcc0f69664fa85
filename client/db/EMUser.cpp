#include "db/EMUser.h"

#include <memory>

#include "db/CacheLoad.h"
#include "db/ConnectionPool.h"
#include "db/PooledSession.h"
#include "db/DbLog.h"
#include "db/RowFields.h"
#include "db/SessionRetry.h"

namespace {
std::map<std::string, EMUser*> cache;
}

bool EMUser::createAll()
{
    return loadTable("em_user", [](const soci::row& row) {
        auto u = std::make_unique<EMUser>();
        u->id = rowfields::text(row, "id");
        u->name = rowfields::text(row, "name");
        u->address = rowfields::text(row, "address");
        u->phone = rowfields::text(row, "phone");
        u->loginName = rowfields::text(row, "login_name");
        u->password = rowfields::text(row, "password");
        u->role = rowfields::text(row, "role");
        std::string id = u->id;
        if (cache.emplace(id, u.get()).second)
            u.release();
    }, [](const std::string& what) { dbLogError("error:%s create all user", what); });
}

void EMUser::releaseAll()
{
    for (auto& entry : cache)
        delete entry.second;
    cache.clear();
}

EMUser* EMUser::getByLoginName(const std::string& loginName)
{
    for (auto& [id, user] : cache)
        if (user->loginName == loginName)
            return user;
    return nullptr;
}

const std::map<std::string, EMUser*>& EMUser::all()
{
    return cache;
}

bool EMUser::update()
{
    try {
        PooledSession lease;
        soci::session& sql = lease.get();
        runWithReconnect(sql, [&] {
            sql << "update em_user set name=:name,address=:address,phone=:phone,"
                   "login_name=:login_name,password=:password,role=:role where id=:id",
                soci::use(name, "name"), soci::use(address, "address"), soci::use(phone, "phone"),
                soci::use(loginName, "login_name"), soci::use(password, "password"),
                soci::use(role, "role"), soci::use(id, "id");
        });
        return true;
    } catch (const std::exception& e) {
        dbLogError("error:%s update user", dbErrorText(e));
        return false;
    }
}

bool EMUser::updatePassword()
{
    try {
        PooledSession lease;
        soci::session& sql = lease.get();
        runWithReconnect(sql, [&] {
            sql << "update em_user set password=:password where id=:id", soci::use(password, "password"),
                soci::use(id, "id");
        });
        return true;
    } catch (const std::exception& e) {
        dbLogError("error:%s update user password", dbErrorText(e));
        return false;
    }
}
