#pragma once
// Measured values of one data group: all rows of a time range, or hourly,
// daily or monthly averages. Values come back as text cells ready for a
// list, a plot or a spreadsheet.
#include <ctime>
#include <string>
#include <utility>
#include <vector>

struct EMDeviceGroup;
class EMDeviceGroupItem;

// (type, text). Cell 0 of a row is the time label (type 100); then one cell
// per item in item order, typed by the item's data_type.
using DataCell = std::pair<int, std::string>;
using DataRow = std::vector<DataCell>;
using DataRows = std::vector<DataRow>;

class EMDeviceData {
public:
    static constexpr int kHourly = 0;
    static constexpr int kDaily = 1;
    static constexpr int kMonthly = 2;  // any other mode value too

    // Takes the group's items (sorted by b3) and its data table name (c4).
    explicit EMDeviceData(EMDeviceGroup* group);
    virtual ~EMDeviceData() = default;

    // Every row with start <= DataTime <= end, oldest first. On failure the
    // error is logged and the rows read so far are returned.
    DataRows queryHistory(std::time_t start, std::time_t end);
    // Averages of the floating and 64-bit items per hour, day or month.
    DataRows queryStatistics(std::time_t start, std::time_t end, int mode);

    // The statements as queryHistory/queryStatistics run them; empty when a
    // table or column name cannot be used (holds a backtick or zero byte).
    std::string buildHistoryStatement(std::time_t start, std::time_t end) const;
    std::string buildStatisticsStatement(std::time_t start, std::time_t end, int mode) const;

    EMDeviceGroup* group() const { return group_; }
    const std::vector<EMDeviceGroupItem*>& items() const { return items_; }
    const std::string& table() const { return table_; }
    const std::string& statement() const { return statement_; }  // last built
    // Why the last query failed (the database's or the pool's text); empty
    // when it succeeded.
    const std::string& lastError() const { return lastError_; }

    // "%Y-%m-%d %H:%M:%S" in local time; empty if the time cannot be converted.
    static std::string formatTime(std::time_t t);
    // A table or column name as it goes into a statement: as it stands when
    // made only of letters, digits, '_' and '$'; else quoted with backticks.
    // False for names holding a backtick or a zero byte.
    static bool sqlName(const std::string& name, std::string& out);

private:
    EMDeviceGroup* group_;
    std::vector<EMDeviceGroupItem*> items_;
    std::string table_;
    std::string statement_;
    std::string lastError_;
};
