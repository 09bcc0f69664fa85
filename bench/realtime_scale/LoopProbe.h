// How long the UI thread's event loop takes to get to a queued call: a
// thread queues a timestamped call every `periodMs` and the UI thread notes
// the delay when it runs it. Also samples the process's resident memory.
#pragma once

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

class LoopProbe {
public:
    explicit LoopProbe(int periodMs = 10);
    ~LoopProbe();
    void start();
    void stop();  // waits for the probe thread; queued calls may still land

    // Delays in ms noted since start(), and the largest RSS seen (kB).
    std::vector<double> delays() const;
    long peakRssKb() const { return peakRssKb_.load(); }

    static long rssKb();       // VmRSS now
    static long peakHwmKb();   // VmHWM of the process
    static double cpuSeconds();  // user + system time of the process

private:
    void run();
    int periodMs_;
    std::atomic<bool> running_{false};
    std::thread thread_;
    mutable std::mutex mutex_;
    std::vector<double> delays_;
    std::atomic<long> peakRssKb_{0};
};

double percentile(std::vector<double> values, double p);
