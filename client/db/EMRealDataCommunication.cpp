#include "db/EMRealDataCommunication.h"

#include <map>
#include <memory>
#include <mutex>
#include <unordered_set>

#include "db/ConnectionPool.h"
#include "db/PooledSession.h"
#include "db/DbLog.h"
#include "db/Identifier.h"
#include "db/RowFields.h"
#include "db/SessionRetry.h"

namespace {

// Both threads look up and insert; one lock covers both, held only for the
// map operation itself. Records are never removed while the program runs,
// so returned pointers stay valid.
std::mutex cacheMutex;
std::map<std::string, std::unique_ptr<EMRealDataCommunication>> cache;

}  // namespace

EMRealDataCommunication* EMRealDataCommunication::findCached(const std::string& deviceKey)
{
    std::lock_guard<std::mutex> lock(cacheMutex);
    auto it = cache.find(deviceKey);
    return it == cache.end() ? nullptr : it->second.get();
}

EMRealDataCommunication* EMRealDataCommunication::cacheRecord(const std::string& deviceKey,
                                                              std::unique_ptr<EMRealDataCommunication> record)
{
    std::lock_guard<std::mutex> lock(cacheMutex);
    // Another thread may have fetched the same key meanwhile: the first stays.
    auto [it, inserted] = cache.emplace(deviceKey, std::move(record));
    return it->second.get();
}

EMRealDataCommunication::Fetch EMRealDataCommunication::fetch(const std::string& deviceKey,
                                                              std::unique_ptr<EMRealDataCommunication>& out)
{
    // The key comes from an MQTT topic that any publisher can choose: it is
    // bound as a parameter, never pasted into the statement.
    const std::string query =
        "select * from .em_real_data_communication where device = :device and relieve_flag=0 ";
    try {
        PooledSession lease;
        soci::session& sql = lease.get();
        dbLogInfo("getbydeviceid %s", query + "[device=" + deviceKey + "]");
        soci::row row;
        bool found = false;
        std::string key = deviceKey;
        runWithReconnect(sql, [&] {
            soci::statement st = (sql.prepare << query, soci::use(key, "device"), soci::into(row));
            found = st.execute(true);
        });
        if (!found)
            return Fetch::None;
        auto record = std::make_unique<EMRealDataCommunication>();
        record->id = newIdentifierText();
        record->id = rowfields::text(row, "id");
        record->device = rowfields::text(row, "device");
        record->type = rowfields::text(row, "type");
        record->beforeStatus = static_cast<std::uint8_t>(rowfields::integer(row, "before_status"));
        record->relieveFlag = static_cast<std::uint8_t>(rowfields::integer(row, "relieve_flag"));
        record->handlerFlag = static_cast<std::uint8_t>(rowfields::integer(row, "handler_flag"));
        out = std::move(record);
        return Fetch::Found;
    } catch (const std::exception& e) {
        dbLogError("error %s get communication", dbErrorText(e));
        return Fetch::Failed;
    }
}

EMRealDataCommunication* EMRealDataCommunication::getByDeviceId(const std::string& deviceKey)
{
    if (EMRealDataCommunication* cached = findCached(deviceKey))
        return cached;
    std::unique_ptr<EMRealDataCommunication> record;
    if (fetch(deviceKey, record) != Fetch::Found)
        return nullptr;
    // Cached under the key asked for (the column holds the same text, give
    // or take trailing blanks, which the database ignores).
    return cacheRecord(deviceKey, std::move(record));
}

void EMRealDataCommunication::releaseAll()
{
    std::lock_guard<std::mutex> lock(cacheMutex);
    cache.clear();
}

bool EMRealDataCommunication::cacheUnrelieved(const std::vector<std::string>& keys)
{
    std::unordered_set<std::string> wanted;
    {
        std::lock_guard<std::mutex> lock(cacheMutex);
        for (const std::string& key : keys)
            if (!cache.count(key))
                wanted.insert(key);
    }
    if (wanted.empty())
        return true;
    const std::string query = "select * from .em_real_data_communication where relieve_flag=0 ";
    try {
        PooledSession lease;
        soci::session& sql = lease.get();
        dbLogInfo("cacheunrelieved %s", query);
        std::vector<std::unique_ptr<EMRealDataCommunication>> found;
        runWithReconnect(sql, [&] {
            found.clear();
            soci::rowset<soci::row> rows = (sql.prepare << query);
            for (const soci::row& row : rows) {
                std::string device = rowfields::text(row, "device");
                while (!device.empty() && device.back() == ' ')
                    device.pop_back();  // as the one-key query, which ignores trailing blanks
                if (!wanted.count(device))
                    continue;
                auto record = std::make_unique<EMRealDataCommunication>();
                record->id = rowfields::text(row, "id");
                record->device = device;
                record->type = rowfields::text(row, "type");
                record->beforeStatus = static_cast<std::uint8_t>(rowfields::integer(row, "before_status"));
                record->relieveFlag = static_cast<std::uint8_t>(rowfields::integer(row, "relieve_flag"));
                record->handlerFlag = static_cast<std::uint8_t>(rowfields::integer(row, "handler_flag"));
                found.push_back(std::move(record));
            }
        });
        std::lock_guard<std::mutex> lock(cacheMutex);
        for (auto& record : found) {
            const std::string key = record->device;
            cache.try_emplace(key, std::move(record));  // the first row of a key wins, as one by one
        }
        return true;
    } catch (const std::exception& e) {
        dbLogError("error cacheunrelieved %s", dbErrorText(e));
        return false;
    }
}
