// Command line of the gateway simulator; every value defaults to the
// service environment (QUORVEL_MQTT_*, QUORVEL_DB_*) where one is set.
#pragma once

#include <cstdint>
#include <string>

#include "DemoSite.h"

struct GatewayOptions {
    std::string mqttHost = "127.0.0.1";
    int mqttPort = 6002;
    std::string mqttUser = "tzmk";
    std::string mqttPassword;
    std::string dbHost = "127.0.0.1";
    int dbPort = 3306;
    std::string dbUser = "root";
    std::string dbPassword;
    std::string dbName = "quor";
    int periodMs = 3000;        // how often a channel may go offline
    int minDownMs = 5000;       // how long it stays offline
    int maxDownMs = 15000;
    int heartbeatMs = 10000;    // every channel's state published again
    int durationS = 0;          // 0: until SIGINT/SIGTERM
    unsigned seed = 0;          // 0: from the clock
    // The data loggers: measurements of the demo site's groups.
    std::uint64_t siteSeed = demo::kDefaultSeed;  // the seed the site was loaded with
    int backfillDays = 90;      // at most this far back when filling a gap
    bool fast = false;          // one 5-minute step per second instead of real time
    // Site-scale stream: with a rate, `flappingPercent` of the channels flip
    // state at `ratePerSecond` CommStatus messages per second in total (the
    // random flaps and heartbeats above are then off); the last state of
    // every channel is written to `stateFile` when the run ends.
    int ratePerSecond = 0;      // 0: the normal demo behaviour
    int flappingPercent = 10;
    std::string stateFile;
};

// Parses argv over the environment's defaults. False (with a message in
// `error`) for an unknown option or a bad number; `help` set for --help.
bool parseGatewayOptions(int argc, char** argv, GatewayOptions& options, bool& help, std::string& error);

extern const char* const kGatewayUsage;
