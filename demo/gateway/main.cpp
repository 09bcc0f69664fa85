// quorvel_gateway: the demo's stand-in for the field gateways, their data
// loggers and the server.
#include "DataLoggers.h"
#include "GatewayOptions.h"
#include "GatewaySimulator.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <thread>

namespace {

std::atomic<bool> g_stop{false};

void onSignal(int) { g_stop = true; }

}  // namespace

int main(int argc, char** argv) {
    GatewayOptions options;
    bool help = false;
    std::string error;
    if (!parseGatewayOptions(argc, argv, options, help, error)) {
        std::fprintf(stderr, "quorvel_gateway: %s\n%s", error.c_str(), kGatewayUsage);
        return 2;
    }
    if (help) {
        std::fputs(kGatewayUsage, stdout);
        return 0;
    }
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    GatewaySimulator simulator(options);
    if (!simulator.start()) {
        return 1;
    }
    // The data loggers write on a thread of their own: filling a long gap
    // must not hold up the channels.
    DataLoggers loggers(options);
    std::thread loggerThread([&] { loggers.run(g_stop); });
    simulator.run(g_stop);
    g_stop = true;
    loggerThread.join();
    return 0;
}
