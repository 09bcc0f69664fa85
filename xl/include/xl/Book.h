// xl: writes Excel 97-2003 workbooks (.xls).
//
// A book is made by xl::createBook() and given back with release(). Sheets
// belong to their book. Text is UTF-8; callers holding GBK convert first.
// Nothing is written to disk until save(), which either produces the whole
// file or leaves the target path untouched.
#pragma once

#include <string>

#define XL_API __attribute__((visibility("default")))

namespace xl {

// Limits of the file format.
inline constexpr int kMaxRows = 65536;
inline constexpr int kMaxColumns = 256;
inline constexpr int kMaxTextLength = 32767;   // UTF-16 units per cell
inline constexpr int kMaxSheetNameLength = 31; // UTF-16 units

class XL_API Sheet {
public:
    // Rows and columns count from 0. Writing a cell again replaces it. An
    // empty text leaves a blank cell.
    // False when the position is outside the sheet, the text is not valid
    // UTF-8 or too long, or the number is not finite (the cell is left as it was).
    virtual bool writeText(int row, int column, const std::string& utf8) = 0;
    virtual bool writeNumber(int row, int column, double value) = 0;

protected:
    virtual ~Sheet() = default;
};

class XL_API Book {
public:
    // Appends a sheet; null when the name is empty, longer than 31 characters,
    // holds one of : \ / ? * [ ] or is already used in the book (ignoring
    // letter case).
    virtual Sheet* addSheet(const std::string& nameUtf8) = 0;

    // Writes the whole workbook to path. On failure returns false, leaves no
    // file of its own behind (an existing file at path is kept unchanged) and
    // describes the cause in errorMessage().
    virtual bool save(const std::string& path) = 0;
    virtual const std::string& errorMessage() const = 0;

    // Frees the book and its sheets.
    virtual void release() = 0;

protected:
    virtual ~Book() = default;
};

XL_API Book* createBook();

} // namespace xl
