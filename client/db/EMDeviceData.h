#pragma once
// Measured values of one data group: all rows of a time range, or hourly,
// daily or monthly averages. Values come back as text cells ready for a
// list, a plot or a spreadsheet.
#include <cstddef>
#include <ctime>
#include <memory>
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

class MysqlResultStream;
class ResultStore;

class EMDeviceData {
public:
    static constexpr int kHourly = 0;
    static constexpr int kDaily = 1;
    static constexpr int kMonthly = 2;  // any other mode value too

    // Takes the group's items (sorted by b3) and its data table name (c4).
    explicit EMDeviceData(EMDeviceGroup* group);
    virtual ~EMDeviceData() = default;

    // Every row with start <= DataTime <= end, oldest first. On failure the
    // error is logged, error() tells it and the rows read so far are returned.
    DataRows queryHistory(std::time_t start, std::time_t end);
    // Averages of the floating and 64-bit items per hour, day or month.
    DataRows queryStatistics(std::time_t start, std::time_t end, int mode);

    // Why the last query stopped before its end (lost connection, unknown
    // table, unusable name, no memory); empty when it read every row. A
    // result that comes with an error is incomplete.
    const std::string& error() const { return error_; }

    // The same results held compactly (cells read back as the text form's).
    std::unique_ptr<ResultStore> queryHistoryStore(std::time_t start, std::time_t end);
    std::unique_ptr<ResultStore> queryStatisticsStore(std::time_t start, std::time_t end, int mode);

    // The statements as queryHistory/queryStatistics run them; empty when a
    // table or column name cannot be used (see sqlName).
    std::string buildHistoryStatement(std::time_t start, std::time_t end) const;
    std::string buildStatisticsStatement(std::time_t start, std::time_t end, int mode) const;

    EMDeviceGroup* group() const { return group_; }
    const std::vector<EMDeviceGroupItem*>& items() const { return items_; }
    const std::string& table() const { return table_; }
    const std::string& statement() const { return statement_; }  // last built
    // "%Y-%m-%d %H:%M:%S" in local time; empty if the time cannot be converted.
    static std::string formatTime(std::time_t t);
    // A column name as it goes into a statement: as it stands when made only
    // of letters, digits, '_' and '$'; else quoted whole with backticks.
    // False for names holding a backtick or a zero byte, and for names that
    // are not whole GBK text: a lead byte without its second byte would
    // join the closing backtick into one character on the GBK connection.
    static bool sqlName(const std::string& name, std::string& out);
    // A table name: a plain name as sqlName puts it; a name with a schema
    // part ("otherdb.data_x") has each dot-separated part quoted on its own
    // ("`otherdb`.`data_x`"). False as for sqlName, or for an empty part.
    static bool sqlTableName(const std::string& name, std::string& out);

private:
    std::string unusableNameError() const;  // logs it too
    bool prepareHistory(std::time_t start, std::time_t end);
    void checkHistoryColumns(const MysqlResultStream& result, std::size_t& timeColumn,
                             std::vector<std::size_t>& columns) const;

    EMDeviceGroup* group_;
    std::vector<EMDeviceGroupItem*> items_;
    std::string table_;
    std::string statement_;
    std::string error_;
};
