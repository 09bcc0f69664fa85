#pragma once
// Writes query rows to an .xls workbook: a header row ("DataTime" and the
// item names) and one row per result row; text cells (type 100) as text,
// every other cell as a number (so the "--" of a statistics type-0 item is 0).
// A sheet holds 65 536 rows, so longer results continue on "Sheet2", ...
// each beginning with the header row again. Window-free; the views add the
// dialogs around it.
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "db/EMDeviceData.h"
#include "ui/model/ExportCells.h"

namespace quorvel::ui {

struct SheetExportResult {
    enum Status { Saved, Cancelled, Failed } status = Failed;
    std::string error;  // when Failed (UTF-8)
    int sheets = 0;     // sheets written when Saved
};

// Result rows per sheet below its header row.
inline constexpr size_t kRowsPerSheet = 65535;

// Sheets an export of rowCount rows needs (at least one).
int sheetCountFor(size_t rowCount);

// itemNamesUtf8: the column titles after "DataTime". Rows hold GBK text.
// progress(done, total) is called now and then while cells are written (and
// once with done == total before saving); returning false cancels, and then
// nothing is written to disk. An existing file at path is replaced only by a
// complete new one.
SheetExportResult exportRowsToXls(const std::string& path, const std::vector<std::string>& itemNamesUtf8,
                                  const DataRows& rows,
                                  const std::function<bool(size_t done, size_t total)>& progress = {});
// The same from any cells (the compact store of a view).
SheetExportResult exportCellsToXls(const std::string& path, const std::vector<std::string>& itemNamesUtf8,
                                   const ExportCells& cells,
                                   const std::function<bool(size_t done, size_t total)>& progress = {});

}  // namespace quorvel::ui
