// Filter file ("./LogFilter.conf") reading and the per-wrapper filter record.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

namespace pellorn {

// Section + separator + key -> trimmed value.
using FilterTable = std::map<std::string, std::string>;

inline constexpr const char* filterKeySeparator = "___#@#___";

// Parses the lines of an INI-like filter file into `table` (comments,
// sections, assignments with inline-comment markers).
void parseFilterLines(const std::vector<std::string>& lines, FilterTable& table);

// Reads `path` in pieces of at most 1023 characters (each piece is a line)
// and parses them into `table`. False when the file cannot be opened.
bool readFilterFile(const char* path, FilterTable& table);

class LogFilterEntry {
public:
    // Builds the record of wrapper `name` from `table` (null reads as empty).
    LogFilterEntry(const std::string& name, const FilterTable* table);

    const std::string& loggerName() const { return loggerName_; }
    bool enabled() const { return enabled_; }
    bool include() const { return include_; }
    const std::set<std::string>& files() const { return files_; }

    // Whether a record written from the module file `callerModule` (base
    // name) goes out: everything when not enabled; an include filter lets
    // only the listed modules through, an exclude filter holds them back.
    bool allows(const std::string& callerModule) const;

private:
    std::string loggerName_;
    bool enabled_ = false;
    bool include_ = false;
    std::set<std::string> files_;
};

} // namespace pellorn
