#include "ui/SheetExport.h"

#include <cmath>
#include <cstdlib>
#include <memory>

#include <xl/Book.h>

#include "app/TextCodec.h"
#include "ui/ResultSeries.h"

namespace quorvel::ui {

namespace {

constexpr int kTextType = 100;
constexpr size_t kProgressStep = 4096;

struct BookRelease {
    void operator()(xl::Book* book) const { book->release(); }
};

bool writeHeader(xl::Sheet& sheet, const std::vector<std::string>& names)
{
    bool ok = sheet.writeText(0, 0, "DataTime");
    for (size_t i = 0; i < names.size(); ++i)
        ok = sheet.writeText(0, static_cast<int>(i + 1), names[i]) && ok;
    return ok;
}

bool writeCell(xl::Sheet& sheet, int row, int column, const DataCell& cell)
{
    if (cell.first == kTextType)
        return sheet.writeText(row, column, gbkToUtf8(cell.second));
    const double value = cellNumber(cell.second);
    return sheet.writeNumber(row, column, value);
}

}  // namespace

int sheetCountFor(size_t rowCount)
{
    return rowCount == 0 ? 1 : static_cast<int>((rowCount + kRowsPerSheet - 1) / kRowsPerSheet);
}

SheetExportResult exportRowsToXls(const std::string& path, const std::vector<std::string>& itemNamesUtf8,
                                  const DataRows& rows,
                                  const std::function<bool(size_t done, size_t total)>& progress)
{
    SheetExportResult result;
    std::unique_ptr<xl::Book, BookRelease> book(xl::createBook());
    if (!book) {
        result.error = "cannot create a workbook";
        return result;
    }
    if (itemNamesUtf8.size() + 1 > static_cast<size_t>(xl::kMaxColumns)) {
        result.error = "too many columns for a sheet (" + std::to_string(itemNamesUtf8.size() + 1) + ")";
        return result;
    }
    const int sheets = sheetCountFor(rows.size());
    size_t done = 0;
    for (int s = 0; s < sheets; ++s) {
        const std::string name = "Sheet" + std::to_string(s + 1);
        xl::Sheet* sheet = book->addSheet(name);
        if (!sheet) {
            result.error = "cannot add the sheet " + name;
            return result;
        }
        if (!writeHeader(*sheet, itemNamesUtf8)) {
            result.error = "cannot write the header row of " + name;
            return result;
        }
        const size_t end = std::min(rows.size(), done + kRowsPerSheet);
        for (int r = 1; done < end; ++done, ++r) {
            const DataRow& row = rows[done];
            for (size_t c = 0; c < row.size() && c < static_cast<size_t>(xl::kMaxColumns); ++c) {
                if (!writeCell(*sheet, r, static_cast<int>(c), row[c])) {
                    result.error = "cannot write row " + std::to_string(done + 1) + ", column "
                                   + std::to_string(c + 1);
                    return result;
                }
            }
            if (progress && done % kProgressStep == 0 && !progress(done, rows.size())) {
                result.status = SheetExportResult::Cancelled;
                return result;
            }
        }
    }
    if (progress && !progress(rows.size(), rows.size())) {
        result.status = SheetExportResult::Cancelled;
        return result;
    }
    if (!book->save(path)) {
        result.error = book->errorMessage();
        return result;
    }
    result.status = SheetExportResult::Saved;
    result.sheets = sheets;
    return result;
}

}  // namespace quorvel::ui
