#pragma once
// A query result held compactly: per row one 8-byte word for the time and
// one per item that has a value (64-bit integer or double), text kept only
// for the items whose data type is text. A row of 8 numeric items costs
// 72 bytes where the text form (DataRows) costs several hundred.
//
// Every cell reads back as exactly the text the text form holds (GBK, the
// same number formats, the same "--" placeholders), so the table, the plot
// and the exports can read this one store. Rows live in fixed blocks that
// never move, so appending never copies earlier rows (no doubling peak).
// Filled by one thread, then read; window-free.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "db/EMDeviceData.h"

class ResultStore {
public:
    // How the time label (cell 0) is written.
    enum class TimeLabel {
        History,  // "2019-3-24 08:05:00" (month without leading zero)
        Hourly,   // "2019-3-24 8:00:00"
        Daily,    // "2019-3-24"
        Monthly,  // "2019-3"
    };
    // How an item's cells are kept.
    enum class Storage {
        Integer,      // 64-bit integer, written in decimal
        Real,         // double, written with six significant digits
        Text,         // GBK text
        Placeholder,  // every cell "--", nothing stored
        Blank,        // every cell empty, nothing stored
    };
    struct Column {
        int type = 0;  // the item's data_type (the type tag of its cells)
        Storage storage = Storage::Blank;
    };

    // The storage of an item of this data type in a history or statistics
    // result (as the text form writes its cells).
    static Storage historyStorage(int dataType);
    static Storage statisticsStorage(int dataType);

    ResultStore(TimeLabel label, std::vector<Column> columns);
    ResultStore(const ResultStore&) = delete;
    ResultStore& operator=(const ResultStore&) = delete;

    // Builds the compact form of text-form rows (statistics results and
    // tests); cells that do not read as their storage are kept as text.
    static std::unique_ptr<ResultStore> fromRows(const DataRows& rows, TimeLabel label,
                                                 const std::vector<Column>& columns);

    // Appending, one row at a time: beginRow, then the time, then one call per
    // item in column order (any item may be left out: it reads as 0 / empty).
    void beginRow();
    void setLabel(const char* text, std::size_t length);  // null text: empty label
    void setInteger(std::size_t item, long long value);
    void setReal(std::size_t item, double value);  // rounded to what its text shows
    void setText(std::size_t item, const char* text, std::size_t length);
    std::size_t size() const { return rows_; }
    bool empty() const { return rows_ == 0; }
    std::size_t columnCount() const { return columns_.size() + 1; }  // with the time
    const std::vector<Column>& items() const { return columns_; }
    TimeLabel timeLabel() const { return label_; }

    // Cell c of row r as the text form holds it: type tag and GBK text.
    int cellType(std::size_t c) const { return c == 0 ? 100 : columns_[c - 1].type; }
    void cellText(std::size_t r, std::size_t c, std::string& out) const;
    std::string cellText(std::size_t r, std::size_t c) const
    {
        std::string s;
        cellText(r, c, s);
        return s;
    }
    DataCell cell(std::size_t r, std::size_t c) const { return {cellType(c), cellText(r, c)}; }
    // The number a cell's text reads as (its leading number, else 0).
    double cellNumber(std::size_t r, std::size_t c) const;

    // The time of row r as calendar fields; false when the label is not of
    // its kind's shape (then only its text is known).
    struct Fields {
        int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    };
    bool timeFields(std::size_t r, Fields& out) const;

    // Bytes the rows take (row words and text written, bookkeeping).
    std::size_t bytes() const;

private:
    static constexpr std::size_t kBlockRows = 8192;
    static constexpr std::uint64_t kNone = ~std::uint64_t{0};

    const std::uint64_t* rowWords(std::size_t r) const
    {
        return blocks_[r / kBlockRows].get() + (r % kBlockRows) * stride_;
    }
    std::uint64_t* current() { return blocks_[(rows_ - 1) / kBlockRows].get() + ((rows_ - 1) % kBlockRows) * stride_; }
    std::uint64_t storeText(const char* text, std::size_t length);
    void readText(std::uint64_t ref, std::string& out) const;
    void formatLabel(std::uint64_t packed, std::string& out) const;
    bool parseLabel(const char* text, std::size_t length, std::uint64_t& packed) const;

    TimeLabel label_;
    std::vector<Column> columns_;
    std::vector<int> slot_;  // word of each item in a row (0: none)
    std::size_t stride_ = 1;
    std::vector<std::unique_ptr<std::uint64_t[]>> blocks_;
    std::size_t rows_ = 0;
    // Text cells: length-prefixed in chunks that never move.
    std::vector<std::unique_ptr<char[]>> textChunks_;
    std::vector<std::size_t> textChunkSizes_;
    std::size_t textUsed_ = 0;  // in the last chunk
    // Cells whose text the compact form cannot give back (labels not of
    // their kind's shape, text-form cells that are not their type's text),
    // by row * columnCount() + column. Empty for results from the database
    // but for labels that are not dates.
    std::unordered_map<std::size_t, std::string> oddCells_;
};
