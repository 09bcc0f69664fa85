#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "tessaly/io/InputStream.h"
#include "tessaly/io/OutputStream.h"

namespace tessaly::io::test {

// An in-memory source; `piece` limits each read (a trickling source), and
// `positionable` false makes it behave like a socket.
class MemoryInputStream : public InputStream {
public:
    explicit MemoryInputStream(std::string data, int piece = 1 << 30, bool positionable = true)
        : data_(std::move(data)), piece_(piece), positionable_(positionable)
    {
    }
    core::int64 getTotalCount() override { return static_cast<core::int64>(data_.size()); }
    bool available() override { return pos_ < data_.size(); }
    core::int64 getPosition() override { return positionable_ ? static_cast<core::int64>(pos_) : -1; }
    bool setPosition(core::int64 p) override
    {
        if (!positionable_ || p < 0)
            return false;
        pos_ = static_cast<std::size_t>(p);
        return true;
    }
    using InputStream::read;
    int read(void* buffer, int count) override
    {
        ++reads;
        const std::size_t n = std::min<std::size_t>({static_cast<std::size_t>(count), static_cast<std::size_t>(piece_),
                                                     data_.size() - std::min(pos_, data_.size())});
        std::memcpy(buffer, data_.data() + pos_, n);
        pos_ += n;
        return static_cast<int>(n);
    }
    int reads = 0;

private:
    std::string data_;
    std::size_t pos_ = 0;
    int piece_;
    bool positionable_;
};

// An in-memory sink that records the size of every write; `limit` caps
// how many bytes it accepts in total (a full disk).
class MemoryOutputStream : public OutputStream {
public:
    explicit MemoryOutputStream(std::size_t limit = static_cast<std::size_t>(-1)) : limit_(limit) {}
    core::int64 getPosition() override { return static_cast<core::int64>(pos_); }
    bool setPosition(core::int64 p) override
    {
        if (p < 0)
            return false;
        pos_ = static_cast<std::size_t>(p);
        return true;
    }
    bool flush() override
    {
        ++flushes;
        return true;
    }
    using OutputStream::write;
    int write(const void* buffer, int count) override
    {
        writes.push_back(count);
        const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(count), limit_ - std::min(limit_, data.size()));
        if (pos_ + n > data.size())
            data.resize(pos_ + n);
        std::memcpy(data.data() + pos_, buffer, n);
        pos_ += n;
        return static_cast<int>(n);
    }
    std::string data;
    std::vector<int> writes;
    int flushes = 0;
    std::size_t limit_;

private:
    std::size_t pos_ = 0;
};

} // namespace tessaly::io::test
