// Where the workbook stream goes: counted first (to learn where each sheet
// will start), then written for real.
#pragma once

#include <cstddef>
#include <cstdint>

namespace xl::detail {

class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual void write(const uint8_t* data, size_t size) = 0;
    // Bytes accepted so far.
    virtual uint64_t position() const = 0;
};

class CountingSink final : public ByteSink {
public:
    void write(const uint8_t*, size_t size) override { count_ += size; }
    uint64_t position() const override { return count_; }

private:
    uint64_t count_ = 0;
};

} // namespace xl::detail
