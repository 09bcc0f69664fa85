#pragma once

#include <atomic>

#include "tessaly/core/Lockable.h"
#include "tessaly/core/NonCopyable.h"

namespace tessaly::core {

// Busy-waiting lock for very short sections; not re-entrant.
class SpinLock : public NonCopyable, public Lockable {
public:
    SpinLock() = default;

    bool lock(int timeout = -1) override;
    void unlock() override;
    bool tryLock() override;

    // Failed attempts between two yields of the processor.
    static constexpr int _spinsPerYield = 8192;

private:
    std::atomic<int> flag_{0};
};

} // namespace tessaly::core
