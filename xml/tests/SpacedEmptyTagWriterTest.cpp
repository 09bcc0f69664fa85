// The space before "/>" must come out the same however pugixml splits
// its output into chunks.
#include "SpacedEmptyTagWriter.h"

#include <gtest/gtest.h>

namespace {

struct Collect : pugi::xml_writer {
    std::string bytes;
    void write(const void* data, std::size_t size) override
    {
        bytes.append(static_cast<const char*>(data), size);
    }
};

std::string spaced(const std::string& input, std::size_t chunk)
{
    Collect out;
    xandril::SpacedEmptyTagWriter writer(out);
    for (std::size_t i = 0; i < input.size(); i += chunk)
        writer.write(input.data() + i, std::min(chunk, input.size() - i));
    writer.finish();
    return out.bytes;
}

} // namespace

TEST(SpacedEmptyTag, SameResultForEveryChunking)
{
    const std::string input = "<r a=\"x/>y\" b='/>'><e/><f g=\"1\"/></r><h />a/>b";
    const std::string expected = "<r a=\"x/>y\" b='/>'><e /><f g=\"1\" /></r><h />a/>b";
    for (std::size_t chunk : {1u, 2u, 3u, 5u, 7u, 1000u})
        EXPECT_EQ(spaced(input, chunk), expected) << "chunk " << chunk;
}

TEST(SpacedEmptyTag, TrailingSlashIsHandedOn)
{
    EXPECT_EQ(spaced("text/", 1), "text/");
}
