// Arbitrary configuration text through the line reader and the parser.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "tessaly/io/BufferedInputStream.h"
#include "tessaly/text/ConfigFileParser.h"

namespace {

class BytesInput : public tessaly::io::InputStream {
public:
    BytesInput(const std::uint8_t* d, std::size_t n) : data_(d), size_(n) {}
    bool available() override { return pos_ < size_; }
    tessaly::core::int64 getPosition() override { return static_cast<tessaly::core::int64>(pos_); }
    bool setPosition(tessaly::core::int64 p) override
    {
        if (p < 0)
            return false;
        pos_ = static_cast<std::size_t>(p);
        return true;
    }
    using InputStream::read;
    int read(void* buffer, int count) override
    {
        std::size_t n = size_ > pos_ ? size_ - pos_ : 0;
        if (n > static_cast<std::size_t>(count))
            n = static_cast<std::size_t>(count);
        std::memcpy(buffer, data_ + pos_, n);
        pos_ += n;
        return static_cast<int>(n);
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    {
        BytesInput plain(data, size);
        tessaly::text::PropertySet set;
        tessaly::text::ConfigFileParser::parse(plain, tessaly::core::String("#"), set);
    }
    tessaly::io::BufferedInputStream buffered(new BytesInput(data, size), true);
    tessaly::text::PropertySet set(true);
    tessaly::text::ConfigFileParser::parse(buffered, tessaly::core::String("//"), set);
    return 0;
}
