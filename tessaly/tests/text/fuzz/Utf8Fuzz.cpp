// Decoding arbitrary bytes must never fault, and re-encoding the result
// must decode to the same units.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "tessaly/text/UTF8Encoding.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    tessaly::text::UTF8Encoding utf8;
    const auto wide = utf8.convertToUnicode(reinterpret_cast<const char*>(data), static_cast<int>(size));
    const auto bytes = utf8.convertFromUnicode(wide.text(), static_cast<int>(wide.length()));
    const auto again = utf8.convertToUnicode(bytes.text(), static_cast<int>(bytes.length()));
    if (!(again == wide))
        std::abort();
    return 0;
}
