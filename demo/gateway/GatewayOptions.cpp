#include "GatewayOptions.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

const char* const kGatewayUsage =
    "usage: quorvel_gateway [options]\n"
    "  --mqtt HOST:PORT (or --mqtt-host H --mqtt-port P) --mqtt-user U --mqtt-password W\n"
    "  --db-host H --db-port P --db-user U --db-password W --db-name NAME (default quor)\n"
    "  --period-ms N      how often a channel may go offline (3000)\n"
    "  --down-ms MIN:MAX  how long it stays offline (5000:15000)\n"
    "  --heartbeat-ms N   every channel's state published again (10000)\n"
    "  --duration-s N     stop after N seconds (0: run until SIGINT/SIGTERM)\n"
    "  --seed N           random seed (0: from the clock)\n"
    "  --site-seed N      seed the demo site was loaded with (20240501)\n"
    "  --backfill-days N  fill a gap in the measurements at most N days back (90)\n"
    "  --fast             write one 5-minute row per second instead of in real time\n"
    "  --rate N           N CommStatus messages per second in all (up to 100000), flipping\n"
    "                     --flapping PERCENT of the channels (10); no random flaps then\n"
    "  --state-file PATH  at the end, each channel's last state (\"<id> <0|1>\" lines)\n"
    "Defaults come from QUORVEL_MQTT_HOST/PORT/USER/PASSWORD and\n"
    "QUORVEL_DB_HOST/PORT/USER/PASSWORD (source .run/services.env).\n";

namespace {

bool toInt(const char* text, int& out) {
    if (text == nullptr || *text == '\0') {
        return false;
    }
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (*end != '\0' || v < 0 || v > 1000000000L) {
        return false;
    }
    out = static_cast<int>(v);
    return true;
}

void fromEnv(const char* name, std::string& out) {
    if (const char* v = std::getenv(name); v != nullptr && *v != '\0') {
        out = v;
    }
}

void fromEnv(const char* name, int& out) {
    if (const char* v = std::getenv(name); v != nullptr) {
        toInt(v, out);
    }
}

}  // namespace

bool parseGatewayOptions(int argc, char** argv, GatewayOptions& o, bool& help, std::string& error) {
    help = false;
    fromEnv("QUORVEL_MQTT_HOST", o.mqttHost);
    fromEnv("QUORVEL_MQTT_PORT", o.mqttPort);
    fromEnv("QUORVEL_MQTT_USER", o.mqttUser);
    fromEnv("QUORVEL_MQTT_PASSWORD", o.mqttPassword);
    fromEnv("QUORVEL_DB_HOST", o.dbHost);
    fromEnv("QUORVEL_DB_PORT", o.dbPort);
    fromEnv("QUORVEL_DB_USER", o.dbUser);
    fromEnv("QUORVEL_DB_PASSWORD", o.dbPassword);

    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            help = true;
            return true;
        }
        if (arg == "--fast") {
            o.fast = true;
            continue;
        }
        if (i + 1 >= argc) {
            error = "missing value after " + arg;
            return false;
        }
        const char* value = argv[++i];
        bool ok = true;
        if (arg == "--mqtt") {
            const char* colon = std::strrchr(value, ':');
            ok = colon != nullptr && colon != value;
            if (ok) {
                o.mqttHost.assign(value, colon);
                ok = toInt(colon + 1, o.mqttPort);
            }
        } else if (arg == "--mqtt-host") {
            o.mqttHost = value;
        } else if (arg == "--mqtt-port") {
            ok = toInt(value, o.mqttPort);
        } else if (arg == "--mqtt-user") {
            o.mqttUser = value;
        } else if (arg == "--mqtt-password") {
            o.mqttPassword = value;
        } else if (arg == "--db-host") {
            o.dbHost = value;
        } else if (arg == "--db-port") {
            ok = toInt(value, o.dbPort);
        } else if (arg == "--db-user") {
            o.dbUser = value;
        } else if (arg == "--db-password") {
            o.dbPassword = value;
        } else if (arg == "--db-name") {
            o.dbName = value;
        } else if (arg == "--period-ms") {
            ok = toInt(value, o.periodMs) && o.periodMs > 0;
        } else if (arg == "--down-ms") {
            const char* colon = std::strchr(value, ':');
            ok = colon != nullptr;
            if (ok) {
                std::string min(value, colon);
                ok = toInt(min.c_str(), o.minDownMs) && toInt(colon + 1, o.maxDownMs) && o.minDownMs <= o.maxDownMs;
            }
        } else if (arg == "--heartbeat-ms") {
            ok = toInt(value, o.heartbeatMs) && o.heartbeatMs > 0;
        } else if (arg == "--duration-s") {
            ok = toInt(value, o.durationS);
        } else if (arg == "--rate") {
            ok = toInt(value, o.ratePerSecond) && o.ratePerSecond <= 100000;
        } else if (arg == "--flapping") {
            ok = toInt(value, o.flappingPercent) && o.flappingPercent >= 1 && o.flappingPercent <= 100;
        } else if (arg == "--state-file") {
            o.stateFile = value;
        } else if (arg == "--seed") {
            int seed = 0;
            ok = toInt(value, seed);
            o.seed = static_cast<unsigned>(seed);
        } else if (arg == "--site-seed") {
            char* end = nullptr;
            errno = 0;
            o.siteSeed = std::strtoull(value, &end, 10);
            ok = *value >= '0' && *value <= '9' && *end == '\0' && errno != ERANGE;
        } else if (arg == "--backfill-days") {
            ok = toInt(value, o.backfillDays) && o.backfillDays > 0 && o.backfillDays <= 3660;
        } else {
            error = "unknown option " + arg;
            return false;
        }
        if (!ok) {
            error = "bad value for " + arg + ": " + value;
            return false;
        }
    }
    return true;
}
