#include "ui/model/SheetExport.h"

#include <cmath>
#include <cstdlib>
#include <memory>

#include <xl/Book.h>

#include "app/TextCodec.h"
#include "ui/model/ResultSeries.h"

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

bool writeCell(xl::Sheet& sheet, int row, int column, const ExportCells& cells, size_t r, size_t c,
               std::string& text)
{
    if (cells.cellType(r, c) == kTextType) {
        cells.cellText(r, c, text);
        return sheet.writeText(row, column, gbkToUtf8(text));
    }
    return sheet.writeNumber(row, column, cells.cellNumber(r, c));
}

}  // namespace

int sheetCountFor(size_t rowCount)
{
    return rowCount == 0 ? 1 : static_cast<int>((rowCount + kRowsPerSheet - 1) / kRowsPerSheet);
}

double DataRowsCells::cellNumber(std::size_t r, std::size_t c) const { return ui::cellNumber(rows_[r][c].second); }

SheetExportResult exportRowsToXls(const std::string& path, const std::vector<std::string>& itemNamesUtf8,
                                  const DataRows& rows,
                                  const std::function<bool(size_t done, size_t total)>& progress)
{
    return exportCellsToXls(path, itemNamesUtf8, DataRowsCells(rows), progress);
}

SheetExportResult exportCellsToXls(const std::string& path, const std::vector<std::string>& itemNamesUtf8,
                                   const ExportCells& rows,
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
    const size_t total = rows.rowCount();
    const int sheets = sheetCountFor(total);
    size_t done = 0;
    std::string text;
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
        const size_t end = std::min(total, done + kRowsPerSheet);
        for (int r = 1; done < end; ++done, ++r) {
            const size_t cellCount = rows.cellCount(done);
            for (size_t c = 0; c < cellCount && c < static_cast<size_t>(xl::kMaxColumns); ++c) {
                if (!writeCell(*sheet, r, static_cast<int>(c), rows, done, c, text)) {
                    result.error = "cannot write row " + std::to_string(done + 1) + ", column "
                                   + std::to_string(c + 1);
                    return result;
                }
            }
            if (progress && done % kProgressStep == 0 && !progress(done, total)) {
                result.status = SheetExportResult::Cancelled;
                return result;
            }
        }
    }
    if (progress && !progress(total, total)) {
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
