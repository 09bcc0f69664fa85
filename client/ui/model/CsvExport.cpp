#include "ui/model/CsvExport.h"

#include "app/TextCodec.h"
#include "ui/model/ReplacingFile.h"

namespace quorvel::ui {

namespace {

constexpr std::size_t kProgressStep = 4096;
constexpr std::size_t kFlushBytes = 1 << 20;

bool isAscii(const std::string& s)
{
    for (unsigned char c : s)
        if (c >= 0x80)
            return false;
    return true;
}

}  // namespace

void appendCsvField(std::string& out, const std::string& utf8)
{
    if (utf8.find_first_of(",\"\r\n") == std::string::npos) {
        out += utf8;
        return;
    }
    out += '"';
    for (char c : utf8) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

SheetExportResult exportCellsToCsv(const std::string& path, const std::vector<std::string>& itemNamesUtf8,
                                   const ExportCells& cells,
                                   const std::function<bool(size_t done, size_t total)>& progress)
{
    SheetExportResult result;
    ReplacingFile file;
    if (!file.open(path)) {
        result.error = file.error();
        return result;
    }
    std::string buffer = "\xEF\xBB\xBF";
    appendCsvField(buffer, "DataTime");
    for (const std::string& name : itemNamesUtf8) {
        buffer += ',';
        appendCsvField(buffer, name);
    }
    buffer += "\r\n";

    const std::size_t total = cells.rowCount();
    std::string text;
    for (std::size_t r = 0; r < total; ++r) {
        const std::size_t count = cells.cellCount(r);
        for (std::size_t c = 0; c < count; ++c) {
            if (c > 0)
                buffer += ',';
            cells.cellText(r, c, text);
            appendCsvField(buffer, isAscii(text) ? text : gbkToUtf8(text));
        }
        buffer += "\r\n";
        if (buffer.size() >= kFlushBytes) {
            if (!file.write(buffer.data(), buffer.size())) {
                result.error = file.error();
                return result;
            }
            buffer.clear();
        }
        if (progress && r % kProgressStep == 0 && !progress(r, total)) {
            result.status = SheetExportResult::Cancelled;
            return result;
        }
    }
    if (!file.write(buffer.data(), buffer.size())) {
        result.error = file.error();
        return result;
    }
    if (progress && !progress(total, total)) {
        result.status = SheetExportResult::Cancelled;
        return result;
    }
    if (!file.commit()) {
        result.error = file.error();
        return result;
    }
    result.status = SheetExportResult::Saved;
    result.sheets = 1;
    return result;
}

}  // namespace quorvel::ui
