// The data loggers of the demo site: every data group of the site gets one
// row of measurements per record interval, made by the generator's value
// model (demo::writeMeasurements), so the curves of the loaded history go on
// without a seam. On start, and again after a lost connection or a reload,
// each group's gap between its last stored row and now is filled first (at
// most `backfillDays` back). Rows are only ever added after a group's last
// stored row, so restarts and a second writer's rows make no duplicates.
//
// Only groups of the site made from `siteSeed` are written (matched by
// identifier and table); the benchmark group and groups of any other site
// are left alone. Nothing is written while the demo database is not
// completely loaded: its marker table demo_loaded is created last by
// demo/load-demo.sh.
#pragma once

#include "DemoSite.h"
#include "GatewayOptions.h"
#include "MariaDbConnection.h"

#include <atomic>
#include <ctime>
#include <string>
#include <vector>

class DataLoggers {
public:
    explicit DataLoggers(const GatewayOptions& options);

    // Writes until `stopFlag` is set; database failures are reported and
    // retried, never fatal.
    void run(const std::atomic<bool>& stopFlag);

private:
    struct Logger {
        const demo::Group* group = nullptr;
        std::time_t next = 0;  // the first instant not stored yet
    };

    bool demoLoaded();
    void loadGroups();
    // Every group up to the record instant at or before `now`; the number
    // of rows written.
    long fillAll(std::time_t now, const std::atomic<bool>& stopFlag);
    long fillGroup(Logger& logger, std::time_t due, const std::atomic<bool>& stopFlag);
    bool anyDue(std::time_t now) const;
    void say(const std::string& line);
    void sayOnce(const std::string& line);

    GatewayOptions options_;
    demo::Site site_;
    MariaDbConnection db_;
    std::vector<Logger> loggers_;
    std::string lastSaid_;
};
