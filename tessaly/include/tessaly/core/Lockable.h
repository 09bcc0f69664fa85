#pragma once

namespace tessaly::core {

// Lock interface: lock(timeout) with timeout < 0 waiting without limit,
// 0 trying once, > 0 waiting at most that many milliseconds.
class Lockable {
public:
    virtual ~Lockable() = default;
    virtual bool lock(int timeout = -1) = 0;
    virtual void unlock() = 0;
    virtual bool tryLock() = 0;
};

} // namespace tessaly::core
