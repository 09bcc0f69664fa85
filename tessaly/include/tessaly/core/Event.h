#pragma once

#include "tessaly/core/NonCopyable.h"

namespace tessaly::core {

// Signal between threads. A manual-reset event stays set until reset() and
// releases every waiter; an automatic one releases a single waiter and
// resets itself.
class Event : public NonCopyable {
public:
    explicit Event(bool manualReset = true, bool initiallySet = false);
    ~Event() override;

    void set();
    void reset();
    // timeout in ms; -1 (and anything below) waits without limit, 0 polls.
    bool wait(int timeout = -1);

private:
    struct Impl;
    Impl* impl_;
};

} // namespace tessaly::core
