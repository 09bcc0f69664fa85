#include "DataLoggers.h"

#include "SqlOutput.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <set>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// Simulated seconds per real second with --fast: one 5-minute step.
constexpr long kFastFactor = 300;

struct Stopped {};

std::string localText(std::time_t t) {
    std::tm tm{};
    localtime_r(&t, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &tm);
    return text;
}

std::time_t parseLocal(const std::string& text) {
    std::tm tm{};
    if (strptime(text.c_str(), "%Y-%m-%d %H:%M:%S", &tm) == nullptr) {
        throw MariaDbError("unreadable DataTime " + text);
    }
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

long stepOf(const demo::Group& group) { return group.minutes * 60L; }

// Sleeps in short slices so a stop request is seen at once.
void pause(std::chrono::milliseconds span, const std::atomic<bool>& stopFlag) {
    const auto end = Clock::now() + span;
    while (!stopFlag && Clock::now() < end) {
        std::this_thread::sleep_for(std::min<Clock::duration>(std::chrono::milliseconds(100), end - Clock::now()));
    }
}

}  // namespace

DataLoggers::DataLoggers(const GatewayOptions& options)
    : options_(options), site_(demo::makeSite(options.siteSeed)) {}

void DataLoggers::sayOnce(const std::string& line) {
    if (line != lastSaid_) {  // a waiting or failing state is reported once, not every retry
        say(line);
    }
}

void DataLoggers::say(const std::string& line) {
    lastSaid_ = line;
    std::printf("gateway: data loggers: %s\n", line.c_str());
    std::fflush(stdout);
}

bool DataLoggers::demoLoaded() {
    auto rows = db_.query(
        "select count(*) from information_schema.tables where table_schema = database() and table_name = "
        "'demo_loaded'");
    return !rows.empty() && rows[0][0] == std::optional<std::string>("1");
}

void DataLoggers::loadGroups() {
    loggers_.clear();
    std::set<std::string> tables;
    for (const auto& row :
         db_.query("select table_name from information_schema.tables where table_schema = database()")) {
        tables.insert(row[0].value_or(""));
    }
    for (const auto& row : db_.query("select id, c4 from em_device_group")) {
        if (!row[0] || !row[1]) {
            continue;
        }
        for (const demo::Group& group : site_.groups) {
            if (group.id == *row[0] && group.table == *row[1] && tables.count(group.table) != 0) {
                loggers_.push_back({&group, 0});
            }
        }
    }
}

long DataLoggers::fillGroup(Logger& logger, std::time_t due, const std::atomic<bool>& stopFlag) {
    const demo::Group& group = *logger.group;
    const long step = stepOf(group);
    auto rows = db_.query("select date_format(max(DataTime), '%Y-%m-%d %H:%i:%s') from " + group.table);
    std::time_t first = due - (options_.backfillDays * (86400L / step) - 1) * step;
    if (!rows.empty() && rows[0][0]) {
        const std::time_t last = parseLocal(*rows[0][0]);
        first = std::max(first, (last / step + 1) * step);  // the next record instant after it
    }
    if (first > due) {  // stored rows already reach past the clock (an earlier --fast run)
        logger.next = first;
        return 0;
    }
    const long count = (due - first) / step + 1;
    demo::writeMeasurements(group, options_.siteSeed, due, count, [&](const std::string& statement) {
        if (stopFlag) {
            throw Stopped{};
        }
        db_.run(statement);
    });
    logger.next = due + step;
    return count;
}

long DataLoggers::fillAll(std::time_t now, const std::atomic<bool>& stopFlag) {
    long written = 0;
    for (Logger& logger : loggers_) {
        const long step = stepOf(*logger.group);
        written += fillGroup(logger, now - now % step, stopFlag);
    }
    return written;
}

bool DataLoggers::anyDue(std::time_t now) const {
    return std::any_of(loggers_.begin(), loggers_.end(), [&](const Logger& l) { return l.next <= now; });
}

void DataLoggers::run(const std::atomic<bool>& stopFlag) {
    bool ready = false;
    std::time_t simulatedStart = 0;  // --fast: the simulated time at realStart
    Clock::time_point realStart;
    while (!stopFlag) {
        try {
            if (!db_.isOpen()) {
                db_.open(options_);
            }
            if (!ready) {
                if (!demoLoaded()) {
                    sayOnce("waiting for the demo database \"" + options_.dbName + "\" to be loaded");
                    pause(std::chrono::seconds(1), stopFlag);
                    continue;
                }
                loadGroups();
                if (loggers_.empty()) {
                    sayOnce("no data group of the demo site (seed " + std::to_string(options_.siteSeed) +
                        ") in \"" + options_.dbName + "\"; nothing to write");
                    pause(std::chrono::seconds(10), stopFlag);
                    continue;
                }
                const std::time_t now = std::time(nullptr);
                const long written = fillAll(now, stopFlag);
                ready = true;
                std::time_t latest = 0;
                for (const Logger& l : loggers_) {
                    latest = std::max(latest, l.next - stepOf(*l.group));
                }
                // --fast goes on from the latest stored row, even one ahead of the clock.
                simulatedStart = std::max(now, latest);
                realStart = Clock::now();
                say("up to date: " + std::to_string(loggers_.size()) + " groups, " + std::to_string(written) +
                    " rows written, latest at " + localText(latest));
            } else {
                std::time_t now = std::time(nullptr);
                if (options_.fast) {
                    const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - realStart);
                    now = simulatedStart + static_cast<std::time_t>(elapsed.count()) * kFastFactor;
                }
                if (anyDue(now)) {
                    if (!demoLoaded()) {
                        ready = false;  // reloaded under us: start over once it is complete
                        continue;
                    }
                    const long written = fillAll(now, stopFlag);
                    say("rows at " + localText(now - now % 300) + " written (" + std::to_string(written) + ")");
                }
            }
        } catch (const Stopped&) {
            break;
        } catch (const MariaDbError& e) {
            sayOnce(std::string("database error, retrying: ") + e.what());
            ready = false;
            db_.close();
            pause(std::chrono::seconds(2), stopFlag);
            continue;
        }
        pause(std::chrono::milliseconds(100), stopFlag);
    }
}
