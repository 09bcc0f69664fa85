// The gateway simulator at site scale: a steady stream of CommStatus
// messages from a share of the channels, at a given rate. The database is
// told once at the start (a fault row for every flapping channel, so a
// client shows each flip) and once at the end (all faults relieved); the
// flips in between only go to the broker, as a gateway's would.
#include "GatewaySimulator.h"

#include "RateFlapper.h"

#include <soci/soci.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <string>
#include <vector>
#include <thread>

void GatewaySimulator::runRateStream(const std::atomic<bool>& stopFlag) {
    auto now = Clock::now();
    const auto end = options_.durationS > 0 ? now + std::chrono::seconds(options_.durationS) : Clock::time_point::max();

    // Every channel starts online. Only the channels that had an open fault
    // are announced: the others are shown online already, and thousands of
    // messages for channels without a fault row would each cost a client a
    // database lookup before the stream even starts.
    std::vector<std::string> wereOffline;
    execute("open faults", [&](soci::session& sql) {
        wereOffline.clear();
        soci::rowset<std::string> rows =
            (sql.prepare << "select distinct device from em_real_data_communication where relieve_flag=0");
        for (const std::string& device : rows) wereOffline.push_back(device);
        sql << "update em_real_data_communication set relieve_flag=1 where relieve_flag=0";
    });
    const std::set<std::string> announce(wereOffline.begin(), wereOffline.end());
    for (Channel& c : channels_) {
        c.online = true;
        if (announce.count(c.id)) publishState(c);
    }
    RateFlapper flapper(channels_.size(), options_.flappingPercent, options_.ratePerSecond, random_(), Clock::now());
    // The seed fixes which channels flap; the fault ids must differ from
    // those of earlier runs with the same seed, which stay in the table.
    random_.seed(static_cast<unsigned>(Clock::now().time_since_epoch().count()) ^ random_());
    for (std::size_t index : flapper.flapping()) {
        Channel& c = channels_[index];
        const std::string id = newFaultId();
        execute("insert fault", [&](soci::session& sql) {
            sql << "insert into em_real_data_communication (id, device, type, before_status, relieve_flag, "
                   "handler_flag) values (:id, :device, 'comm', 1, 0, 0)",
                soci::use(id, "id"), soci::use(c.id, "device");
        });
        c.online = false;
        publishState(c);
    }
    std::printf("gateway: %zu of %zu channels flapping at %d messages/s\n", flapper.flapping().size(),
                channels_.size(), options_.ratePerSecond);
    std::fflush(stdout);

    flapper.startAt(Clock::now());  // the set-up above does not count against the rate
    while (!stopFlag && (now = Clock::now()) < end) {
        for (std::size_t turn : flapper.due(now)) {
            Channel& c = channels_[turn];
            c.online = !c.online;
            publishState(c);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    // Publishing only queues: give the queue time to drain before the state
    // file claims what the clients saw last.
    std::this_thread::sleep_for(std::chrono::seconds(2));
    writeStateFile();
    std::printf("gateway: %lld state messages sent\n", flapper.sent());
    std::fflush(stdout);
    // The last states stay as the clients saw them; the database is left
    // without open faults.
    execute("relieve faults", [&](soci::session& sql) {
        sql << "update em_real_data_communication set relieve_flag=1 where relieve_flag=0";
    });
}

void GatewaySimulator::writeStateFile() const {
    if (options_.stateFile.empty()) return;
    std::ofstream out(options_.stateFile, std::ios::trunc);
    for (const Channel& c : channels_) out << c.id << ' ' << (c.online ? 1 : 0) << '\n';
}
