#include "RateFlapper.h"

#include <algorithm>
#include <numeric>

RateFlapper::RateFlapper(std::size_t channels, int percent, int ratePerSecond, unsigned seed, Clock::time_point start)
    : rate_(std::max(0, ratePerSecond)), start_(start) {
    std::vector<std::size_t> all(channels);
    std::iota(all.begin(), all.end(), std::size_t{0});
    std::mt19937 random(seed);
    std::shuffle(all.begin(), all.end(), random);
    std::size_t count = channels * static_cast<std::size_t>(std::clamp(percent, 0, 100)) / 100;
    if (count == 0 && channels > 0 && percent > 0) count = 1;
    all.resize(count);
    std::sort(all.begin(), all.end());
    flapping_ = std::move(all);
}

void RateFlapper::startAt(Clock::time_point start) {
    sent_ = 0;
    start_ = start;
}

std::vector<std::size_t> RateFlapper::due(Clock::time_point now) {
    std::vector<std::size_t> out;
    if (flapping_.empty() || rate_ == 0 || now <= start_) return out;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    long long target = static_cast<long long>(seconds * rate_);
    if (target - sent_ > rate_) sent_ = target - rate_;  // at most one second behind
    out.reserve(static_cast<std::size_t>(std::max(0LL, target - sent_)));
    for (; sent_ < target; ++sent_) {
        out.push_back(flapping_[next_]);
        next_ = (next_ + 1) % flapping_.size();
        ++emitted_;
    }
    return out;
}
