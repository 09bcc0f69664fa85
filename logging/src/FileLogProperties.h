// log4j-style properties files: "key=value" lines (also "key: value" and
// "key value"), '#' and '!' comments, a trailing backslash continues a
// line, backslash escapes as in Java properties files, and ${name}
// substitution from the file itself or the environment.
#pragma once

#include <map>
#include <string>

namespace pellorn::filelog {

using Properties = std::map<std::string, std::string>;

// Parses the text of a properties file; later keys replace earlier ones.
Properties parseProperties(const std::string& text);

// Reads and parses `path`; false when the file cannot be read.
bool readProperties(const std::string& path, Properties& properties);

// `value` with every ${name} replaced by the property `name`, else the
// environment variable, else nothing. Substituted text is substituted
// again (to a fixed depth, so a loop ends).
std::string substituteVariables(const std::string& value, const Properties& properties);

} // namespace pellorn::filelog
