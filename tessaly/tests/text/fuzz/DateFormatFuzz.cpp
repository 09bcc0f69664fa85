// The first line is the pattern, the rest the text to parse.
#include <cstddef>
#include <cstdint>
#include <string>

#include "tessaly/core/IllegalArgumentException.h"
#include "tessaly/text/DateFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t nl = input.find('\n');
    const std::string pattern = input.substr(0, nl == std::string::npos ? input.size() : nl);
    const std::string text = nl == std::string::npos ? std::string() : input.substr(nl + 1);
    try {
        tessaly::text::DateFormat format{tessaly::core::String(pattern.c_str())};
        format.format(tessaly::core::Date(2023, 2, 4, 14, 7, 9, 45));
        const tessaly::core::Date d = format.parse(tessaly::core::String(text.c_str()));
        format.format(d);
    } catch (const tessaly::core::IllegalArgumentException&) {
        // Empty patterns and impossible dates are refused this way.
    }
    return 0;
}
