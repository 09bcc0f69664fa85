// Test helper: reads a whole .xls file back through freexl, a reader that
// shares no code with ours, so tests see what another program would see.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace xl::test {

struct ReadCell {
    enum Kind { Text, Number, Other } kind = Other;
    std::string text; // UTF-8, when Text
    double number = 0.0;
};

struct ReadSheet {
    std::string name;
    unsigned rows = 0;    // as reported by the reader's dimensions
    unsigned columns = 0;
    std::map<std::pair<unsigned, unsigned>, ReadCell> cells; // non-empty cells by (row, column)

    const ReadCell* at(unsigned row, unsigned column) const;
};

struct ReadBook {
    std::vector<ReadSheet> sheets;
};

// Null when the file cannot be opened or parsed; error tells why.
std::optional<ReadBook> readXls(const std::string& path, std::string* error = nullptr);

} // namespace xl::test
