#include "LoopProbe.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/resource.h>

#include <wx/app.h>

namespace {

long statusKb(const char* key) {
    FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return -1;
    char line[256];
    long kb = -1;
    const std::size_t n = std::strlen(key);
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, key, n) == 0) kb = std::strtol(line + n, nullptr, 10);
    std::fclose(f);
    return kb;
}

}  // namespace

LoopProbe::LoopProbe(int periodMs) : periodMs_(periodMs) {}

LoopProbe::~LoopProbe() { stop(); }

void LoopProbe::start() {
    running_ = true;
    thread_ = std::thread(&LoopProbe::run, this);
}

void LoopProbe::stop() {
    running_ = false;
    if (thread_.joinable()) thread_.join();
}

void LoopProbe::run() {
    using Clock = std::chrono::steady_clock;
    while (running_) {
        const auto posted = Clock::now();
        wxTheApp->CallAfter([this, posted] {
            const double ms = std::chrono::duration<double, std::milli>(Clock::now() - posted).count();
            std::lock_guard<std::mutex> lock(mutex_);
            delays_.push_back(ms);
        });
        const long rss = rssKb();
        if (rss > peakRssKb_) peakRssKb_ = rss;
        std::this_thread::sleep_for(std::chrono::milliseconds(periodMs_));
    }
}

std::vector<double> LoopProbe::delays() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return delays_;
}

long LoopProbe::rssKb() { return statusKb("VmRSS:"); }
long LoopProbe::peakHwmKb() { return statusKb("VmHWM:"); }

double LoopProbe::cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t i = std::min(values.size() - 1, static_cast<std::size_t>(p / 100.0 * values.size()));
    return values[i];
}
