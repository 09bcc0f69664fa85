// The book and sheet behind xl/Book.h: cells are collected in memory and
// the file is produced in one go by save().
#include "xl/Book.h"

#include "BiffWriter.h"
#include "CompoundFile.h"
#include "SharedStrings.h"
#include "SheetData.h"
#include "Utf16.h"

#include <cmath>
#include <memory>
#include <vector>

namespace xl {
namespace {

using detail::Cell;
using detail::SharedStrings;
using detail::SheetData;

bool validPosition(int row, int column)
{
    return row >= 0 && row < kMaxRows && column >= 0 && column < kMaxColumns;
}

char16_t foldAscii(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; }

bool sameSheetName(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (foldAscii(a[i]) != foldAscii(b[i]))
            return false;
    return true;
}

class SheetImpl final : public Sheet {
public:
    SheetImpl(std::u16string name, SharedStrings& strings) : strings_(strings) { data_.name = std::move(name); }

    bool writeText(int row, int column, const std::string& utf8) override
    {
        if (!validPosition(row, column))
            return false;
        auto text = detail::utf8ToUtf16(utf8);
        if (!text || text->size() > static_cast<size_t>(kMaxTextLength))
            return false;
        Cell cell;
        // An empty text is stored as a blank cell: readers choke on empty
        // shared strings, and a blank cell shows the same.
        if (text->empty()) {
            cell.kind = Cell::Blank;
        } else {
            cell.kind = Cell::Text;
            cell.text = strings_.intern(*text);
        }
        cell.column = static_cast<uint16_t>(column);
        data_.put(static_cast<uint32_t>(row), cell);
        return true;
    }

    bool writeNumber(int row, int column, double value) override
    {
        if (!validPosition(row, column) || !std::isfinite(value))
            return false;
        Cell cell;
        cell.number = value;
        cell.column = static_cast<uint16_t>(column);
        data_.put(static_cast<uint32_t>(row), cell);
        return true;
    }

    const SheetData& data() const { return data_; }

private:
    SharedStrings& strings_;
    SheetData data_;
};

class BookImpl final : public Book {
public:
    Sheet* addSheet(const std::string& nameUtf8) override
    {
        auto name = detail::utf8ToUtf16(nameUtf8);
        if (!name || name->empty() || name->size() > static_cast<size_t>(kMaxSheetNameLength))
            return nullptr;
        if (name->find_first_of(u":\\/?*[]") != std::u16string::npos)
            return nullptr;
        if (name->front() == u'\'' || name->back() == u'\'')
            return nullptr;
        for (const auto& sheet : sheets_)
            if (sameSheetName(sheet->data().name, *name))
                return nullptr;
        sheets_.push_back(std::make_unique<SheetImpl>(std::move(*name), strings_));
        return sheets_.back().get();
    }

    bool save(const std::string& path) override
    {
        error_.clear();
        if (sheets_.empty()) {
            error_ = "the workbook has no sheet";
            return false;
        }
        std::vector<const SheetData*> sheets;
        for (const auto& sheet : sheets_)
            sheets.push_back(&sheet->data());
        return detail::saveCompoundFile(
            path, [&](detail::ByteSink& sink) { return detail::writeWorkbookStream(sink, sheets, strings_); },
            error_);
    }

    const std::string& errorMessage() const override { return error_; }

    void release() override { delete this; }

private:
    SharedStrings strings_;
    std::vector<std::unique_ptr<SheetImpl>> sheets_;
    std::string error_;
};

} // namespace

Book* createBook() { return new BookImpl; }

} // namespace xl
