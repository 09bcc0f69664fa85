#pragma once
// Unrelieved communication faults of a channel, table
// em_real_data_communication; fetched on demand and cached by the channel
// key (column device). Shared by the MQTT thread and the UI thread.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct EMRealDataCommunication {
    std::string id;
    std::string device;  // channel key the record is cached under
    std::string type;
    std::uint8_t beforeStatus = 0;
    // Written by the MQTT thread (CommStatus), read by the realtime view.
    std::atomic<std::uint8_t> relieveFlag{0};
    std::uint8_t handlerFlag = 0;

    // The cached record of the key, or else the first unrelieved row of the
    // key fetched from the database (then cached). None when there is no
    // such row (nothing cached: the next call asks again) or on failure
    // (logged). Safe to call from any thread; the returned record lives until
    // releaseAll.
    // The cache lock is never held across the query, so a slow or vanished
    // database never holds up a thread that only reads the cache.
    static EMRealDataCommunication* getByDeviceId(const std::string& deviceKey);

    // Caches, in one query, the first unrelieved row of each of `keys` that
    // is not cached yet (as getByDeviceId would, key by key). For a view that
    // needs the state of thousands of channels at once. False on a database
    // failure (logged); keys without a row stay uncached.
    static bool cacheUnrelieved(const std::vector<std::string>& keys);
    // The cached record of the key or none; never asks the database.
    static EMRealDataCommunication* findCached(const std::string& deviceKey);

    // The database step of getByDeviceId on its own: Found fills `record`;
    // None when the key has no unrelieved row; Failed when the database
    // could not answer (logged).
    enum class Fetch { Found, None, Failed };
    static Fetch fetch(const std::string& deviceKey, std::unique_ptr<EMRealDataCommunication>& record);

    // Caches `record` under the key unless a record is cached there
    // already; returns the cached one.
    static EMRealDataCommunication* cacheRecord(const std::string& deviceKey,
                                                std::unique_ptr<EMRealDataCommunication> record);

    // Forgets every cached record (tests; the program keeps them to the end).
    static void releaseAll();
};
