// Lateness of 1 000 timer tasks that all fall due in the same second.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <ctime>
#include <mutex>
#include <vector>

#include "tessaly/core/Date.h"
#include "tessaly/core/Thread.h"
#include "tessaly/utils/Timer.h"

namespace {

using Clock = std::chrono::system_clock;

std::mutex m;
std::vector<double> lateness;
std::atomic<int> done{0};

class StampTask : public tessaly::utils::TimerTask {
public:
    explicit StampTask(Clock::time_point due) : due_(due) {}
    void run() override
    {
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - due_).count();
        std::lock_guard<std::mutex> g(m);
        lateness.push_back(ms);
        ++done;
    }

private:
    Clock::time_point due_;
};

void BM_ThousandTimersDueAtOnce(benchmark::State& state)
{
    for (auto _ : state) {
        lateness.clear();
        done = 0;
        tessaly::utils::Timer timer;
        // Due at the start of the second after next, as the timer counts seconds.
        const time_t t = time(nullptr) + 2;
        const auto dueSec = Clock::from_time_t(t);
        tessaly::core::Date due = tessaly::core::Date::fromLocalTime(t);
        for (int i = 0; i < 1000; ++i)
            timer.schedule(new StampTask(dueSec), due);
        while (done.load() < 1000)
            tessaly::core::Thread::sleep(5);
        std::sort(lateness.begin(), lateness.end());
        state.counters["late_median_ms"] = lateness[500];
        state.counters["late_p99_ms"] = lateness[990];
        state.counters["late_max_ms"] = lateness.back();
    }
}
BENCHMARK(BM_ThousandTimersDueAtOnce)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

BENCHMARK_MAIN();
