#pragma once
// What an export reads of a result: rows of typed cells, each with its
// (GBK) text and the number the text reads as. Adapters for the text form
// (DataRows) and for the compact store. Window-free.
#include <cstddef>
#include <string>

#include "db/EMDeviceData.h"
#include "db/ResultStore.h"

namespace quorvel::ui {

class ExportCells {
public:
    virtual ~ExportCells() = default;
    virtual std::size_t rowCount() const = 0;
    virtual std::size_t cellCount(std::size_t r) const = 0;
    virtual int cellType(std::size_t r, std::size_t c) const = 0;
    virtual void cellText(std::size_t r, std::size_t c, std::string& out) const = 0;
    virtual double cellNumber(std::size_t r, std::size_t c) const = 0;
};

class DataRowsCells final : public ExportCells {
public:
    explicit DataRowsCells(const DataRows& rows) : rows_(rows) {}
    std::size_t rowCount() const override { return rows_.size(); }
    std::size_t cellCount(std::size_t r) const override { return rows_[r].size(); }
    int cellType(std::size_t r, std::size_t c) const override { return rows_[r][c].first; }
    void cellText(std::size_t r, std::size_t c, std::string& out) const override { out = rows_[r][c].second; }
    double cellNumber(std::size_t r, std::size_t c) const override;

private:
    const DataRows& rows_;
};

class StoreCells final : public ExportCells {
public:
    explicit StoreCells(const ResultStore& store) : store_(store) {}
    std::size_t rowCount() const override { return store_.size(); }
    std::size_t cellCount(std::size_t) const override { return store_.columnCount(); }
    int cellType(std::size_t, std::size_t c) const override { return store_.cellType(c); }
    void cellText(std::size_t r, std::size_t c, std::string& out) const override { store_.cellText(r, c, out); }
    double cellNumber(std::size_t r, std::size_t c) const override { return store_.cellNumber(r, c); }

private:
    const ResultStore& store_;
};

}  // namespace quorvel::ui
