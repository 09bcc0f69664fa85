#pragma once

#include "tessaly/core/Lockable.h"
#include "tessaly/core/NonCopyable.h"

namespace tessaly::core {

// Re-entrant mutex: the owning thread may lock it again; each lock needs
// its own unlock.
class Mutex : public NonCopyable, public Lockable {
public:
    Mutex();
    ~Mutex() override;

    bool lock(int timeout = -1) override;
    void unlock() override;
    bool tryLock() override;

private:
    struct Impl;
    Impl* impl_;
};

} // namespace tessaly::core
