#pragma once
// Where an export goes and in which format, from what the save dialog gave:
// a name ending in .csv, or the CSV entry of the type list with a name
// without extension or ending in .xls, writes CSV (the name then ends in
// .csv); anything else writes the .xls workbook, adding ".xls" to a name
// without extension. Window-free; text is UTF-8.
#include <optional>
#include <string>

namespace quorvel::ui {

// Entries of the save dialog's type list, in their order.
inline constexpr int kXlsFilterIndex = 0;
inline constexpr int kCsvFilterIndex = 1;

struct ExportTarget {
    std::string path;
    bool csv = false;
    bool operator==(const ExportTarget&) const = default;
};

// Null when the dialog gave no path.
std::optional<ExportTarget> exportTarget(const std::string& chosenPath, int filterIndex);

}  // namespace quorvel::ui
