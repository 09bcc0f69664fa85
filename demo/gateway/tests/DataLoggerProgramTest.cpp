// The gateway program's data loggers against a real MariaDB: the gap up to
// now filled once, live rows read back through the client's history query,
// and a reload with cut connections under a running gateway.
#include "DemoSite.h"
#include "SqlOutput.h"
#include "TestDatabase.h"
#include "db/EMDeviceData.h"
#include "db/EMDeviceGroup.h"
#include "db/EMDeviceGroupItem.h"

#include <soci/mysql/soci-mysql.h>
#include <soci/soci.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <csignal>
#include <fcntl.h>
#include <iconv.h>
#include <poll.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

constexpr long kStep = 300;

std::time_t aligned(std::time_t t) { return t - t % kStep; }

std::time_t parseLocal(const std::string& text) {
    std::tm tm{};
    if (text.empty() || strptime(text.c_str(), "%Y-%m-%d %H:%M:%S", &tm) == nullptr) {
        return -1;
    }
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

// The gateway program with its output read through a pipe.
class GatewayRun {
public:
    explicit GatewayRun(const std::vector<std::string>& args) {
        const char* binDir = std::getenv("QUORVEL_BIN_DIR");
        if (binDir == nullptr) {
            throw std::runtime_error("QUORVEL_BIN_DIR is not set (run through ctest)");
        }
        std::string program = std::string(binDir) + "/quorvel_gateway";
        int fds[2];
        if (pipe(fds) != 0) {
            throw std::runtime_error("pipe failed");
        }
        pid_ = fork();
        if (pid_ == 0) {
            dup2(fds[1], 1);
            dup2(fds[1], 2);
            close(fds[0]);
            close(fds[1]);
            std::vector<char*> argv{const_cast<char*>(program.c_str())};
            for (const std::string& a : args) {
                argv.push_back(const_cast<char*>(a.c_str()));
            }
            argv.push_back(nullptr);
            execv(program.c_str(), argv.data());
            _exit(127);
        }
        close(fds[1]);
        out_ = fds[0];
        fcntl(out_, F_SETFL, O_NONBLOCK);
    }
    ~GatewayRun() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(out_);
    }

    // Waits until `text` has appeared `times` times in the output.
    bool waitFor(const std::string& text, int times, std::chrono::seconds timeout) {
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (count(text) < times) {
            if (std::chrono::steady_clock::now() >= end) {
                return false;
            }
            pollfd p{out_, POLLIN, 0};
            poll(&p, 1, 200);
            char buf[4096];
            ssize_t n;
            while ((n = read(out_, buf, sizeof buf)) > 0) {
                output_.append(buf, static_cast<size_t>(n));
            }
        }
        return true;
    }
    int count(const std::string& text) const {
        int n = 0;
        for (size_t at = output_.find(text); at != std::string::npos; at = output_.find(text, at + 1)) {
            ++n;
        }
        return n;
    }
    const std::string& output() const { return output_; }

    // SIGTERM; the exit code, -1 when it did not exit by itself.
    int terminate() {
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string output_;
};

struct TableState {
    long rows = 0, distinct = 0;
    std::time_t first = -1, last = -1;
};

TableState tableState(TestDatabase& db, const std::string& table, std::time_t after = 0) {
    auto sql = db.openSession();
    TableState s;
    std::string first, last;
    soci::indicator i1, i2;
    *sql << "select count(*), count(distinct DataTime), date_format(min(DataTime), '%Y-%m-%d %H:%i:%s'), "
            "date_format(max(DataTime), '%Y-%m-%d %H:%i:%s') from " + table + " where DataTime > '" +
                EMDeviceData::formatTime(after) + "'",
        soci::into(s.rows), soci::into(s.distinct), soci::into(first, i1), soci::into(last, i2);
    s.first = i1 == soci::i_ok ? parseLocal(first) : -1;
    s.last = i2 == soci::i_ok ? parseLocal(last) : -1;
    return s;
}

// The site's data tables, configuration and the given history per group
// (rows ending at `end`), then the marker demo/load-demo.sh writes last.
struct History {
    std::time_t end = 0;
    long rows = 0;
};
void loadSite(TestDatabase& db, const demo::Site& site, std::uint64_t seed,
              const std::function<History(size_t group)>& history, const std::string& extra = "") {
    std::string script;
    auto sink = [&](const std::string& s) { script += s + ";\n"; };
    for (const demo::Group& g : site.groups) {
        sink(demo::dataTableDdl(g));
    }
    demo::writeConfiguration(site, seed, sink);
    for (size_t i = 0; i < site.groups.size(); ++i) {
        History h = history(i);
        if (h.rows > 0) {
            demo::writeMeasurements(site.groups[i], seed, h.end, h.rows, sink);
        }
    }
    script += extra;
    sink("create table demo_loaded (loaded_at datetime)");
    db.executeUtf8(script);
}

std::string gbkToUtf8(const std::string& gbk) {
    iconv_t cd = iconv_open("UTF-8", "GBK");
    std::string out(gbk.size() * 3 + 4, '\0');
    char* in = const_cast<char*>(gbk.data());
    size_t inLeft = gbk.size(), outLeft = out.size();
    char* dst = out.data();
    size_t rc = iconv(cd, &in, &inLeft, &dst, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1)) {
        return "";
    }
    out.resize(out.size() - outLeft);
    return out;
}

// Whether a history cell holds a value the item's signal can make.
bool inRange(const demo::Item& item, const DataCell& cell) {
    const std::string& text = cell.second;
    char* end = nullptr;
    switch (item.signal) {
    case demo::Signal::Daily: {
        double v = std::strtod(text.c_str(), &end);
        if (text.empty() || *end != '\0') {
            return false;
        }
        // Cycle, season (15 % of the amplitude) and noise (at most 3.47
        // deviations), plus the rounding of the stored decimals.
        double spread = 1.15 * std::fabs(item.amplitude) + 3.47 * item.noise + std::pow(10.0, -item.decimals);
        double lo = item.base - spread, hi = item.base + spread;
        if (item.base >= 0) {
            lo = std::max(lo, 0.0);
        }
        if (item.unit == "%RH") {
            hi = std::min(hi, 100.0);
        }
        return v >= lo && v <= hi;
    }
    case demo::Signal::Counter: {
        long long v = std::strtoll(text.c_str(), &end, 10);
        return !text.empty() && *end == '\0' && v > 0;
    }
    case demo::Signal::State:
        return text == "0" || text == "1";
    case demo::Signal::Angle: {
        long v = std::strtol(text.c_str(), &end, 10);
        return !text.empty() && *end == '\0' && v >= 0 && v < 360;
    }
    case demo::Signal::Text: {
        std::string utf8 = gbkToUtf8(text);
        return !utf8.empty() && text.size() <= 64;
    }
    }
    return false;
}

// The gateway's database connections cut by the server.
void killConnections(TestDatabase& db) {
    auto sql = db.openSession();
    std::vector<std::string> ids(100);
    *sql << "select concat(id) from information_schema.processlist where db = '" + db.name() +
                "' and id <> connection_id()",
        soci::into(ids);
    for (const std::string& id : ids) {
        try {
            *sql << "kill " + id;
        } catch (const std::exception&) {
            // gone already
        }
    }
}

}  // namespace

TEST(DataLoggers, FillTheGapUpToNowOnceAndLeaveTheBenchmarkGroupAlone) {
    const std::uint64_t seed = 77;
    const demo::Site site = demo::makeSite(seed);
    const demo::Group large = demo::makeLargeGroup(seed);
    ASSERT_GE(site.groups.size(), 4u);
    TestDatabase db;
    const std::time_t dueBefore = aligned(std::time(nullptr));
    // Group 0: a day of rows ending two days ago; group 1: ending ten days
    // ago, beyond the 3-day bound; group 2: no rows; the rest: ending a day ago.
    const std::time_t end0 = dueBefore - 2 * 86400, end1 = dueBefore - 10 * 86400;
    std::string largeRows;
    demo::writeGroupConfiguration(large, [&](const std::string& s) { largeRows += s + ";\n"; });
    largeRows += demo::dataTableDdl(large) + ";\n";
    demo::writeMeasurements(large, seed, dueBefore - 3600, 30, [&](const std::string& s) { largeRows += s + ";\n"; });
    loadSite(
        db, site, seed,
        [&](size_t i) -> History {
            if (i == 0) return {end0, 288};
            if (i == 1) return {end1, 288};
            if (i == 2) return {0, 0};
            return {dueBefore - 86400, 288};
        },
        largeRows);
    const TableState largeBefore = tableState(db, large.table);
    ASSERT_EQ(largeBefore.rows, 30);

    const std::vector<std::string> args{"--db-name", db.name(), "--site-seed", "77", "--backfill-days", "3",
                                        "--period-ms", "1000000"};
    const std::string upToDate = "data loggers: up to date: " + std::to_string(site.groups.size()) + " groups";
    // Groups 1 and 2 after the first start: where their filled rows begin.
    std::vector<std::time_t> boundedFirst(site.groups.size(), -1);
    auto check = [&](const char* run) {
        const std::time_t dueAfter = aligned(std::time(nullptr));
        for (size_t i = 0; i < site.groups.size(); ++i) {
            const demo::Group& g = site.groups[i];
            SCOPED_TRACE(std::string(run) + " " + g.table);
            const TableState all = tableState(db, g.table);
            ASSERT_EQ(all.rows, all.distinct) << "no instant written twice";
            ASSERT_GE(all.last, dueBefore) << "filled up to now";
            ASSERT_LE(all.last, dueAfter) << "nothing ahead of the clock";
            if (i == 1 || i == 2) {
                // At most three days back: the ten-day-old history keeps its hole.
                const TableState recent = tableState(db, g.table, dueBefore - 4 * 86400);
                if (boundedFirst[i] < 0) {
                    EXPECT_EQ(recent.rows, 3 * 288);
                    boundedFirst[i] = recent.first;
                }
                EXPECT_EQ(recent.first, boundedFirst[i]);
                EXPECT_EQ(recent.first, recent.last - (recent.rows - 1) * kStep);
                EXPECT_EQ(all.rows, (i == 1 ? 288 : 0) + recent.rows);
            } else {
                // Old and new rows make one unbroken series.
                EXPECT_EQ(all.rows, (all.last - all.first) / kStep + 1);
                EXPECT_EQ(all.first, (i == 0 ? end0 : dueBefore - 86400) - 287 * kStep);
            }
        }
        const TableState largeAfter = tableState(db, large.table);
        EXPECT_EQ(largeAfter.rows, largeBefore.rows) << "the benchmark group is left alone";
        EXPECT_EQ(largeAfter.last, largeBefore.last);
    };
    {
        GatewayRun gateway(args);
        ASSERT_TRUE(gateway.waitFor(upToDate, 1, 120s)) << gateway.output();
        EXPECT_EQ(gateway.terminate(), 0) << gateway.output();
    }
    check("first start");

    // The filled rows are the generator's own: a twin of group 0 made by the
    // generator for the same instants matches value for value, NULLs included.
    const demo::Group& g0 = site.groups[0];
    const TableState s0 = tableState(db, g0.table);
    demo::Group twin = g0;
    twin.table = "twin_" + g0.table;
    std::string script = demo::dataTableDdl(twin) + ";\n";
    demo::writeMeasurements(twin, seed, s0.last, s0.rows, [&](const std::string& s) { script += s + ";\n"; });
    db.executeUtf8(script);
    std::string join = "select count(*) from " + g0.table + " a join " + twin.table + " b on a.DataTime = b.DataTime";
    for (const demo::Item& item : g0.items) {
        join += " and a." + item.code + " <=> b." + item.code;
    }
    long matching = 0;
    *db.openSession() << join, soci::into(matching);
    EXPECT_EQ(matching, s0.rows);

    {
        GatewayRun gateway(args);
        ASSERT_TRUE(gateway.waitFor(upToDate, 1, 120s)) << gateway.output();
        EXPECT_EQ(gateway.terminate(), 0) << gateway.output();
    }
    check("second start");
}

TEST(DataLoggers, LiveRowsReadBackThroughTheHistoryQueryAndSurviveAReload) {
    const demo::Site site = demo::makeSite(demo::kDefaultSeed);
    TestDatabase db;
    const std::time_t start = aligned(std::time(nullptr));
    loadSite(db, site, demo::kDefaultSeed, [&](size_t) { return History{start, 12}; });
    std::time_t g0ReloadEnd = 0;

    GatewayRun gateway({"--db-name", db.name(), "--fast", "--period-ms", "1000000"});
    ASSERT_TRUE(gateway.waitFor("up to date", 1, 60s)) << gateway.output();
    ASSERT_TRUE(gateway.waitFor("rows at", 4, 60s)) << gateway.output();

    // A reload under the running gateway, as demo/load-demo.sh --force does
    // it: the gateway's connections cut, the marker gone, group 0's table
    // made again and loaded in one long transaction ending now. The gateway
    // reconnects meanwhile and must not write into the half-loaded table.
    killConnections(db);
    const demo::Group& g0 = site.groups[0];
    db.execute("drop table demo_loaded");
    db.execute("drop table " + g0.table);
    db.executeUtf8(demo::dataTableDdl(g0));
    {
        std::string conn = TestDatabase::serverConnectionString();
        soci::session loader(soci::mysql, conn.substr(0, conn.rfind("charset=")) + "charset=utf8mb4 db=" + db.name());
        loader.begin();
        const std::time_t reloadEnd = aligned(std::time(nullptr));
        demo::writeMeasurements(g0, demo::kDefaultSeed, reloadEnd, 12,
                                [&](const std::string& s) { loader << s; });
        std::this_thread::sleep_for(3500ms);  // longer than the gateway's reconnect pause
        loader.commit();
        g0ReloadEnd = reloadEnd;
    }
    db.execute("create table demo_loaded (loaded_at datetime)");
    ASSERT_TRUE(gateway.waitFor("up to date", 2, 60s)) << gateway.output();
    const int written = gateway.count("rows at");
    ASSERT_TRUE(gateway.waitFor("rows at", written + 2, 60s)) << gateway.output();
    EXPECT_EQ(gateway.terminate(), 0) << gateway.output();

    ASSERT_TRUE(db.openPool());
    for (const demo::Group& g : site.groups) {
        SCOPED_TRACE(g.table);
        const TableState all = tableState(db, g.table);
        EXPECT_EQ(all.rows, all.distinct) << "no instant written twice";
        EXPECT_EQ(all.rows, (all.last - all.first) / kStep + 1) << "no hole";
        EMDeviceGroup* record = EMDeviceGroup::getById(g.id);
        ASSERT_NE(record, nullptr);
        EMDeviceData data(record);
        ASSERT_EQ(data.items().size(), g.items.size());
        const std::time_t from = &g == &site.groups[0] ? g0ReloadEnd : start;
        DataRows rows = data.queryHistory(from + 1, from + 400L * 86400);
        ASSERT_GE(rows.size(), 4u);
        // One row per 5-minute step straight on from the stored history,
        // running ahead of the clock (one step per second).
        std::sort(rows.begin(), rows.end(), [](const DataRow& a, const DataRow& b) {
            return parseLocal(a[0].second) < parseLocal(b[0].second);
        });
        std::vector<std::time_t> times;
        for (const DataRow& row : rows) {
            times.push_back(parseLocal(row[0].second));
        }
        EXPECT_EQ(times.front(), from + kStep);
        for (size_t k = 1; k < times.size(); ++k) {
            ASSERT_EQ(times[k] - times[k - 1], kStep) << "row " << k;
        }
        EXPECT_GT(times.back(), std::time(nullptr) + 3 * kStep);

        // Each cell typed as its item and inside the item's range; a value
        // out of range only where the stored reading is NULL.
        std::vector<long> nulls(g.items.size());
        std::vector<long> outOfRange(g.items.size());
        for (size_t j = 0; j < g.items.size(); ++j) {
            const demo::Item& item = g.items[j];
            ASSERT_EQ(data.items()[j]->c2, item.code);
            *db.openSession() << "select count(*) from " + g.table + " where DataTime > '" +
                                     EMDeviceData::formatTime(from) + "' and " + item.code + " is null",
                soci::into(nulls[j]);
            long long lastCounter = 0;
            for (const DataRow& row : rows) {
                const DataCell& cell = row[j + 1];
                ASSERT_EQ(cell.first, item.dataType) << item.code;
                if (!inRange(item, cell)) {
                    EXPECT_TRUE(cell.second == "0" || cell.second.empty()) << item.code << " = " << cell.second;
                    ++outOfRange[j];
                } else if (item.signal == demo::Signal::Counter) {
                    long long v = std::stoll(cell.second);
                    EXPECT_GE(v, lastCounter) << item.code << " counts up";
                    lastCounter = v;
                }
            }
            EXPECT_LE(outOfRange[j], nulls[j]) << item.code;
        }
    }
}
