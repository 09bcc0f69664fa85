#include "tessaly/text/ConfigFileParser.h"

#include "tessaly/core/Exception.h"
#include "tessaly/io/BufferedInputStream.h"
#include "tessaly/io/File.h"
#include "tessaly/io/FileInputStream.h"

namespace tessaly::text {

using core::String;

int ConfigFileParser::parse(io::InputStream& input, const String& commentPrefix, PropertySet& target)
{
    const bool hasComments = !commentPrefix.isEmpty();
    int stored = 0;
    while (input.available()) {
        const String line = input.readNextLine().trim();
        if (line.isEmpty() || (hasComments && line.startsWith(commentPrefix.text())))
            continue;
        const int eq = line.indexOf('=');
        if (eq < 0)
            continue;
        const String key = line.substring(0, eq).rtrim();
        if (key.isEmpty())
            continue;
        String value = line.substring(eq + 1).ltrim();
        if (hasComments) {
            const int comment = value.indexOf(commentPrefix.text());
            if (comment >= 0)
                value = value.substring(0, comment).rtrim();
        }
        target.setValue(key, value);
        ++stored;
    }
    return stored;
}

int ConfigFileParser::parse(const io::File& file, const String& commentPrefix, PropertySet& target)
{
    try {
        io::BufferedInputStream in(new io::FileInputStream(file), true);
        return parse(in, commentPrefix, target);
    } catch (const core::Exception&) {
        return -1;
    }
}

} // namespace tessaly::text
