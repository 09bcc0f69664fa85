// The site-scale CommStatus stream of the gateway simulator: a fixed share of
// the channels (picked by the seed) flips state, one channel after another,
// at a given number of messages per second in total. Free of the broker and
// the database, so its pacing and choice are checked on their own.
#pragma once

#include <chrono>
#include <cstddef>
#include <random>
#include <vector>

class RateFlapper {
public:
    using Clock = std::chrono::steady_clock;

    // `channels` channels of which `percent` % (at least one when there are
    // any) flap, `ratePerSecond` messages per second from `start` on.
    RateFlapper(std::size_t channels, int percent, int ratePerSecond, unsigned seed, Clock::time_point start);

    // Indexes of the flapping channels, in the order they take turns.
    const std::vector<std::size_t>& flapping() const { return flapping_; }

    // The channels whose turn has come by `now` (one entry per message due
    // since the previous call). A late call catches up, but never by more
    // than one second's worth, so a stalled simulator does not burst.
    std::vector<std::size_t> due(Clock::time_point now);

    // Counts the rate from `start` again .
    void startAt(Clock::time_point start);

    // Messages handed out by due() so far.
    long long sent() const { return emitted_; }

private:
    std::vector<std::size_t> flapping_;
    int rate_;
    Clock::time_point start_;
    long long sent_ = 0;     // messages due since start_ (skipped ones included)
    long long emitted_ = 0;
    std::size_t next_ = 0;
};
