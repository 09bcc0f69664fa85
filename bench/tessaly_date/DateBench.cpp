// Date field getters against the C library's broken-down time.
#include <benchmark/benchmark.h>

#include <ctime>

#include "tessaly/core/Date.h"

using tessaly::core::Date;

namespace {

void BM_Fields_Date(benchmark::State& state)
{
    tessaly::core::int64 ms = 3700000000000LL;
    for (auto _ : state) {
        const Date d(ms);
        benchmark::DoNotOptimize(d.getYear() + d.getMonth() + d.getDayOfMonth() + d.getHour() + d.getMinute() +
                                 d.getSecond());
        ms += 86400001;
        if (ms > 34000000000000LL)
            ms = 0;
    }
}
void BM_Fields_gmtime_r(benchmark::State& state)
{
    time_t t = 1000000000;
    for (auto _ : state) {
        struct tm out;
        gmtime_r(&t, &out);
        benchmark::DoNotOptimize(out.tm_year + out.tm_mon + out.tm_mday + out.tm_hour + out.tm_min + out.tm_sec);
        t += 86401;
    }
}
void BM_Fields_localtime_r(benchmark::State& state)
{
    time_t t = 1000000000;
    for (auto _ : state) {
        struct tm out;
        localtime_r(&t, &out);
        benchmark::DoNotOptimize(out.tm_year + out.tm_mon + out.tm_mday + out.tm_hour + out.tm_min + out.tm_sec);
        t += 86401;
    }
}
BENCHMARK(BM_Fields_Date);
BENCHMARK(BM_Fields_gmtime_r);
BENCHMARK(BM_Fields_localtime_r);

} // namespace

BENCHMARK_MAIN();
