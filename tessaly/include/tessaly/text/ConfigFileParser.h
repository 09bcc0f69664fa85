#pragma once

#include "tessaly/core/String.h"
#include "tessaly/text/PropertySet.h"

namespace tessaly::io {
class File;
class InputStream;
}

namespace tessaly::text {

// Reads "key = value" lines into a PropertySet. Each line is trimmed;
// lines that start with the comment prefix, blank lines, lines without
// "=" and lines with an empty key are skipped; the rest is split at the
// first "=" into a right-trimmed key and a left-trimmed value, and the
// value is cut at a following comment prefix and right-trimmed again.
// An empty comment prefix means the input has no comments.
class ConfigFileParser {
public:
    // Returns the number of pairs stored.
    static int parse(io::InputStream& input, const core::String& commentPrefix, PropertySet& target);
    // -1 when the file cannot be opened.
    static int parse(const io::File& file, const core::String& commentPrefix, PropertySet& target);
};

} // namespace tessaly::text
