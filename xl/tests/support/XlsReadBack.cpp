#include "XlsReadBack.h"

#include <freexl.h>

namespace xl::test {

const ReadCell* ReadSheet::at(unsigned row, unsigned column) const
{
    auto it = cells.find({row, column});
    return it == cells.end() ? nullptr : &it->second;
}

std::optional<ReadBook> readXls(const std::string& path, std::string* error)
{
    auto fail = [&](const std::string& what, int rc) -> std::optional<ReadBook> {
        if (error)
            *error = what + " failed with freexl code " + std::to_string(rc);
        return std::nullopt;
    };
    const void* handle = nullptr;
    int rc = freexl_open(path.c_str(), &handle);
    if (rc != FREEXL_OK) {
        if (handle)
            freexl_close(handle);
        return fail("freexl_open(" + path + ")", rc);
    }
    struct Closer {
        const void* h;
        ~Closer() { freexl_close(h); }
    } closer{handle};

    unsigned sheetCount = 0;
    if ((rc = freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &sheetCount)) != FREEXL_OK)
        return fail("sheet count", rc);
    ReadBook book;
    for (unsigned s = 0; s < sheetCount; ++s) {
        ReadSheet sheet;
        const char* name = nullptr;
        if ((rc = freexl_get_worksheet_name(handle, static_cast<unsigned short>(s), &name)) != FREEXL_OK)
            return fail("sheet name", rc);
        sheet.name = name ? name : "";
        if ((rc = freexl_select_active_worksheet(handle, static_cast<unsigned short>(s))) != FREEXL_OK)
            return fail("select sheet", rc);
        unsigned rows = 0;
        unsigned short columns = 0;
        if ((rc = freexl_worksheet_dimensions(handle, &rows, &columns)) != FREEXL_OK)
            return fail("dimensions", rc);
        sheet.rows = rows;
        sheet.columns = columns;
        for (unsigned r = 0; r < rows; ++r) {
            for (unsigned short c = 0; c < columns; ++c) {
                FreeXL_CellValue value;
                if ((rc = freexl_get_cell_value(handle, r, c, &value)) != FREEXL_OK)
                    return fail("cell value", rc);
                ReadCell cell;
                switch (value.type) {
                case FREEXL_CELL_NULL:
                    continue;
                case FREEXL_CELL_TEXT:
                case FREEXL_CELL_SST_TEXT:
                    cell.kind = ReadCell::Text;
                    cell.text = value.value.text_value ? value.value.text_value : "";
                    break;
                case FREEXL_CELL_INT:
                    cell.kind = ReadCell::Number;
                    cell.number = value.value.int_value;
                    break;
                case FREEXL_CELL_DOUBLE:
                    cell.kind = ReadCell::Number;
                    cell.number = value.value.double_value;
                    break;
                default:
                    cell.kind = ReadCell::Other;
                    cell.text = value.value.text_value ? value.value.text_value : "";
                    break;
                }
                sheet.cells.emplace(std::make_pair(r, static_cast<unsigned>(c)), std::move(cell));
            }
        }
        book.sheets.push_back(std::move(sheet));
    }
    return book;
}

} // namespace xl::test
