// Cells of one sheet, kept per row in column order until the book is saved.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace xl::detail {

struct Cell {
    enum Kind : uint8_t { Number, Text, Blank };
    double number = 0.0;
    uint32_t text = 0; // index into the book's shared strings when kind is Text
    uint16_t column = 0;
    Kind kind = Number;
};

struct SheetData {
    std::u16string name;
    std::vector<std::vector<Cell>> rows; // index = row number; trailing rows may be empty

    void put(uint32_t row, const Cell& cell);
    size_t textCellCount() const;
};

} // namespace xl::detail
