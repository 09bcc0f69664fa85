// One million small tasks through ThreadPool against a minimal pool built
// from std::thread, std::mutex and std::condition_variable. Besides the wall
// time, process_cpu_ms gives the CPU time of all threads per iteration: on a
// machine shared with other work it varies far less than the wall time.
#include <benchmark/benchmark.h>

#include <atomic>
#include <condition_variable>
#include <ctime>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "tessaly/concurrent/ThreadPool.h"
#include "tessaly/core/Thread.h"

namespace {

constexpr int kTasks = 1000000;
constexpr int kThreads = 2;

std::atomic<long> sink{0};

class SmallTask : public tessaly::concurrent::ThreadPoolTask {
public:
    void run() override { sink.fetch_add(1, std::memory_order_relaxed); }
    void release() override { delete this; }
};

class StdPool {
public:
    explicit StdPool(int n)
    {
        for (int i = 0; i < n; ++i)
            threads_.emplace_back([this] { work(); });
    }
    ~StdPool()
    {
        {
            std::lock_guard<std::mutex> g(m_);
            stop_ = true;
        }
        cv_.notify_all();
        for (auto& t : threads_)
            t.join();
    }
    void submit(SmallTask* t)
    {
        {
            std::lock_guard<std::mutex> g(m_);
            q_.push_back(t);
        }
        cv_.notify_one();
    }

private:
    void work()
    {
        for (;;) {
            SmallTask* t;
            {
                std::unique_lock<std::mutex> l(m_);
                cv_.wait(l, [this] { return stop_ || !q_.empty(); });
                if (q_.empty())
                    return;
                t = q_.front();
                q_.pop_front();
            }
            t->run();
            t->release();
        }
    }
    std::mutex m_;
    std::condition_variable cv_;
    std::deque<SmallTask*> q_;
    bool stop_ = false;
    std::vector<std::thread> threads_;
};

double processCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

void reportCpu(benchmark::State& state, double since)
{
    state.counters["process_cpu_ms"] = benchmark::Counter(processCpuMs() - since, benchmark::Counter::kAvgIterations);
}

void waitSink(long target)
{
    while (sink.load(std::memory_order_relaxed) < target)
        std::this_thread::yield();
}

void BM_MillionTasks_ThreadPool(benchmark::State& state)
{
    const double cpu = processCpuMs();
    for (auto _ : state) {
        sink = 0;
        tessaly::concurrent::ThreadPool pool(kThreads);
        pool.start();
        for (int i = 0; i < kTasks; ++i)
            pool.submit(new SmallTask);
        waitSink(kTasks);
        pool.stop();
    }
    reportCpu(state, cpu);
}
void BM_MillionTasks_StdPool(benchmark::State& state)
{
    const double cpu = processCpuMs();
    for (auto _ : state) {
        sink = 0;
        StdPool pool(kThreads);
        for (int i = 0; i < kTasks; ++i)
            pool.submit(new SmallTask);
        waitSink(kTasks);
    }
    reportCpu(state, cpu);
}
BENCHMARK(BM_MillionTasks_ThreadPool)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_MillionTasks_StdPool)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
