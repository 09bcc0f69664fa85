#pragma once

namespace tessaly::core {

// Base for objects that own a platform resource and must not be duplicated.
class NonCopyable {
public:
    virtual ~NonCopyable() = default;

protected:
    NonCopyable() = default;

private:
    NonCopyable(const NonCopyable&) = delete;
    NonCopyable& operator=(const NonCopyable&) = delete;
};

} // namespace tessaly::core
