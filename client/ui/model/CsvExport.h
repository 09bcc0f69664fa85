#pragma once
// Writes a result to a CSV file for spreadsheet programs and scripts: UTF-8
// with a byte-order mark (so the Chinese item names are read as such), a
// header row ("DataTime" and the item names), then one line per row with
// each cell's text as the table shows it. Fields holding a comma, a quote
// or a line break are quoted, quotes doubled; lines end with CR LF. Written
// as it goes (no copy of the result), beside the path and moved over it
// when complete. Window-free.
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "ui/model/ExportCells.h"
#include "ui/model/SheetExport.h"

namespace quorvel::ui {

// progress(done, total) is called every few thousand rows and once at the
// end; false cancels (nothing is left on disk). sheets is 1 when Saved.
SheetExportResult exportCellsToCsv(const std::string& path, const std::vector<std::string>& itemNamesUtf8,
                                   const ExportCells& cells,
                                   const std::function<bool(size_t done, size_t total)>& progress = {});

// One CSV field (UTF-8 text), quoted when it needs to be.
void appendCsvField(std::string& out, const std::string& utf8);

}  // namespace quorvel::ui
