#pragma once

namespace tessaly::core {

class Runnable {
public:
    virtual ~Runnable() = default;
    virtual void run() = 0;
    // Hands the object back to its owner; as a rule it deletes itself.
    virtual void release() { delete this; }
};

} // namespace tessaly::core
