#include "db/EMDeviceData.h"

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

#include <mysql.h>
#include <soci/mysql/soci-mysql.h>

#include "db/ConnectionPool.h"
#include "db/PooledSession.h"
#include "db/DbLog.h"
#include "db/EMDeviceGroup.h"
#include "db/EMDeviceGroupItem.h"
#include "db/MysqlResultStream.h"
#include "db/ResultStore.h"
#include "db/SessionRetry.h"

namespace {

const char* const kErrorFormat = "error:%s 查询设备错误";

// Default stream formatting of a double (six significant digits, %g).
void appendDouble(std::string& out, double value)
{
    char buf[32];
    auto result = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 6);
    out.assign(buf, result.ptr);
}

void appendInteger(std::string& out, long long value)
{
    char buf[24];
    auto result = std::to_chars(buf, buf + sizeof buf, value);
    out.assign(buf, result.ptr);
}

long long parseInteger(const char* text, unsigned long length)
{
    long long value = 0;
    std::from_chars(text, text + length, value);
    return value;
}

// Independent of the process locale (the server writes a decimal point).
double parseDouble(const char* text, unsigned long length)
{
    double value = 0;
    std::from_chars(text, text + length, value);
    return value;
}

bool isIntegerField(enum_field_types type)
{
    switch (type) {
    case MYSQL_TYPE_TINY:
    case MYSQL_TYPE_SHORT:
    case MYSQL_TYPE_LONG:
    case MYSQL_TYPE_INT24:
    case MYSQL_TYPE_LONGLONG:
    case MYSQL_TYPE_YEAR:
    case MYSQL_TYPE_BIT:
        return true;
    default:
        return false;
    }
}

bool isNumericField(enum_field_types type)
{
    return isIntegerField(type) || type == MYSQL_TYPE_FLOAT || type == MYSQL_TYPE_DOUBLE ||
           type == MYSQL_TYPE_DECIMAL || type == MYSQL_TYPE_NEWDECIMAL;
}

const std::string kTimeRangeWhere = " where DataTime >= '";

}  // namespace

EMDeviceData::EMDeviceData(EMDeviceGroup* group)
    : group_(group),
      items_(group ? EMDeviceGroupItem::getByGroup(group->id) : std::vector<EMDeviceGroupItem*>{}),
      table_(group ? group->c4 : std::string())
{
}

std::string EMDeviceData::formatTime(std::time_t t)
{
    std::tm local{};
    if (!localtime_r(&t, &local))
        return {};
    char buf[64];
    std::size_t n = std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &local);
    return std::string(buf, n);
}

namespace {

// True when every byte of the name stands as GBK reads it: ASCII, or a lead
// byte 0x81-0xFE followed by a second byte 0x40-0x7E or 0x80-0xFE.
bool isWholeGbk(const std::string& name)
{
    for (std::size_t i = 0; i < name.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        if (c < 0x80)
            continue;
        if (c == 0x80 || c == 0xFF || i + 1 == name.size())
            return false;
        unsigned char second = static_cast<unsigned char>(name[++i]);
        if (second < 0x40 || second == 0x7F || second == 0xFF)
            return false;
    }
    return true;
}

}  // namespace

bool EMDeviceData::sqlName(const std::string& name, std::string& out)
{
    bool plain = !name.empty();
    for (unsigned char c : name) {
        if (c == '`' || c == '\0')
            return false;
        bool alnum = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!alnum && c != '_' && c != '$')
            plain = false;
    }
    if (!isWholeGbk(name))
        return false;
    out = plain ? name : "`" + name + "`";
    return true;
}

bool EMDeviceData::sqlTableName(const std::string& name, std::string& out)
{
    if (name.find('.') == std::string::npos)
        return sqlName(name, out);
    // Checked whole: a GBK second byte is never a dot, so every part of a
    // whole-GBK name is whole GBK too.
    std::string checked;
    if (!sqlName(name, checked))
        return false;
    std::string quoted;
    std::size_t from = 0;
    for (;;) {
        std::size_t dot = name.find('.', from);
        std::string part = name.substr(from, dot == std::string::npos ? std::string::npos : dot - from);
        if (part.empty())
            return false;
        quoted += "`" + part + "`";
        if (dot == std::string::npos)
            break;
        quoted += '.';
        from = dot + 1;
    }
    out = quoted;
    return true;
}

std::string EMDeviceData::buildHistoryStatement(std::time_t start, std::time_t end) const
{
    std::string table;
    if (!sqlTableName(table_, table))
        return {};
    std::string s = "select date_format(DataTime,'%Y-%c-%d %H:%i:%s') as DataTime";
    for (const EMDeviceGroupItem* item : items_) {
        std::string column;
        if (!sqlName(item->c2, column))
            return {};
        s += ',';
        s += column;
    }
    s += " from " + table + kTimeRangeWhere + formatTime(start) + "' and DataTime <='" +
         formatTime(end) + "'";
    // The plot needs ascending time; the server does not promise it. The
    // table's own column is named: a bare DataTime here would mean the
    // formatted label of the select list, whose month has no leading zero
    // (October would sort before September).
    s += " order by " + table + ".DataTime";
    return s;
}

std::string EMDeviceData::buildStatisticsStatement(std::time_t start, std::time_t end, int mode) const
{
    std::string table;
    if (!sqlTableName(table_, table))
        return {};
    std::string s;
    const char* groupBy;
    if (mode == kHourly) {
        s = "select year(DataTime) as year,month(DataTime) as month,day(DataTIme) as day,hour(DataTime) as hour";
        groupBy = "year(DataTime),month(DataTime),day(DataTIme),hour(DataTime)";
    } else if (mode == kDaily) {
        s = "select year(DataTime) as year,month(DataTime) as month,day(DataTIme) as day";
        groupBy = "year(DataTime),month(DataTime),day(DataTime)";
    } else {
        s = "select year(DataTime) as year,month(DataTime) as month";
        groupBy = "year(DataTime),month(DataTime)";
    }
    for (const EMDeviceGroupItem* item : items_) {
        if (item->dataType == EMDeviceGroupItem::kInt || item->dataType == EMDeviceGroupItem::kText)
            continue;
        std::string column;
        if (!sqlName(item->c2, column))
            return {};
        s += ",avg(" + column + ") as " + column;
    }
    s += " from " + table + kTimeRangeWhere + formatTime(start) + "' and DataTime <='" + formatTime(end);
    s += std::string("' group by ") + groupBy;
    // Groups come back in any order unless asked (MySQL 8 does not sort them).
    s += std::string(" order by ") + groupBy;
    return s;
}

namespace {

// Runs the statement on a borrowed session and hands every row to onRow.
// A failure ends the rows; it is logged once and its text returned (empty
// when every row was read).
template <class OnColumns, class OnRow>
std::string runQuery(const std::string& statement, OnColumns&& onColumns, OnRow&& onRow)
{
    try {
        PooledSession lease;
        soci::session& sql = lease.get();
        MysqlResultStream result;
        runWithReconnect(sql, [&] { result.start(sql, statement); });
        onColumns(result);
        while (const MysqlRow* row = result.next())
            onRow(*row);
        return {};
    } catch (const std::bad_alloc&) {
        // Memory is short: no log line is built here (it would need more).
        return "out of memory";
    } catch (const std::exception& e) {
        std::string text = dbErrorText(e);
        dbLogError(kErrorFormat, text);
        return text;
    }
}

}  // namespace

std::string EMDeviceData::unusableNameError() const
{
    std::string text = "unusable table or column name in group " + (group_ ? group_->id : std::string());
    dbLogError(kErrorFormat, text);
    return text;
}

void EMDeviceData::checkHistoryColumns(const MysqlResultStream& result, std::size_t& timeColumn,
                                       std::vector<std::size_t>& columns) const
{
    timeColumn = result.column("DataTime");
    columns.assign(items_.size(), 0);
    for (std::size_t i = 0; i < items_.size(); ++i) {
        const EMDeviceGroupItem* item = items_[i];
        columns[i] = result.column(item->c2);
        int type = item->dataType;
        bool numeric = type == EMDeviceGroupItem::kInt || type == EMDeviceGroupItem::kInt64 ||
                       type == EMDeviceGroupItem::kInt64Alt || type == EMDeviceGroupItem::kDouble;
        enum_field_types fieldType = result.fieldType(columns[i]);
        if (numeric && !(type == EMDeviceGroupItem::kDouble ? isNumericField(fieldType)
                                                           : isIntegerField(fieldType)))
            throw std::runtime_error("column " + item->c2 + " does not hold the values of its data type");
    }
}

bool EMDeviceData::prepareHistory(std::time_t start, std::time_t end)
{
    statement_ = buildHistoryStatement(start, end);
    if (statement_.empty()) {
        error_ = unusableNameError();
        return false;
    }
    return true;
}

DataRows EMDeviceData::queryHistory(std::time_t start, std::time_t end)
{
    DataRows rows;
    if (!prepareHistory(start, end))
        return rows;
    std::size_t timeColumn = 0;
    std::vector<std::size_t> columns;
    error_ = runQuery(
        statement_, [&](const MysqlResultStream& result) { checkHistoryColumns(result, timeColumn, columns); },
        [&](const MysqlRow& row) {
            DataRow& out = rows.emplace_back();
            out.reserve(items_.size() + 1);
            out.emplace_back(EMDeviceGroupItem::kText, std::string());
            if (row.values[timeColumn])
                out.back().second.assign(row.values[timeColumn], row.lengths[timeColumn]);
            for (std::size_t i = 0; i < items_.size(); ++i) {
                int type = items_[i]->dataType;
                DataCell& cell = out.emplace_back(type, std::string());
                const char* value = row.values[columns[i]];
                switch (type) {
                case EMDeviceGroupItem::kInt:
                    appendInteger(cell.second,
                                  value ? static_cast<int>(parseInteger(value, row.lengths[columns[i]])) : 0);
                    break;
                case EMDeviceGroupItem::kInt64:
                case EMDeviceGroupItem::kInt64Alt:
                    appendInteger(cell.second, value ? parseInteger(value, row.lengths[columns[i]]) : 0);
                    break;
                case EMDeviceGroupItem::kDouble:
                    appendDouble(cell.second, value ? parseDouble(value, row.lengths[columns[i]]) : 0.0);
                    break;
                case EMDeviceGroupItem::kText:
                    if (value)
                        cell.second.assign(value, row.lengths[columns[i]]);
                    break;
                default:
                    break;
                }
            }
        });
    return rows;
}

namespace {

std::vector<ResultStore::Column> storeColumns(const std::vector<EMDeviceGroupItem*>& items, bool statistics)
{
    std::vector<ResultStore::Column> columns;
    for (const EMDeviceGroupItem* item : items)
        columns.push_back({item->dataType, statistics ? ResultStore::statisticsStorage(item->dataType)
                                                      : ResultStore::historyStorage(item->dataType)});
    return columns;
}

}  // namespace

std::unique_ptr<ResultStore> EMDeviceData::queryHistoryStore(std::time_t start, std::time_t end)
{
    auto store = std::make_unique<ResultStore>(ResultStore::TimeLabel::History, storeColumns(items_, false));
    if (!prepareHistory(start, end))
        return store;
    std::size_t timeColumn = 0;
    std::vector<std::size_t> columns;
    error_ = runQuery(
        statement_, [&](const MysqlResultStream& result) { checkHistoryColumns(result, timeColumn, columns); },
        [&](const MysqlRow& row) {
            store->beginRow();
            store->setLabel(row.values[timeColumn], row.values[timeColumn] ? row.lengths[timeColumn] : 0);
            for (std::size_t i = 0; i < items_.size(); ++i) {
                const char* value = row.values[columns[i]];
                if (!value)
                    continue;  // 0, or empty text
                const unsigned long length = row.lengths[columns[i]];
                switch (items_[i]->dataType) {
                case EMDeviceGroupItem::kInt:
                    store->setInteger(i, static_cast<int>(parseInteger(value, length)));
                    break;
                case EMDeviceGroupItem::kInt64:
                case EMDeviceGroupItem::kInt64Alt:
                    store->setInteger(i, parseInteger(value, length));
                    break;
                case EMDeviceGroupItem::kDouble:
                    store->setReal(i, parseDouble(value, length));
                    break;
                case EMDeviceGroupItem::kText:
                    store->setText(i, value, length);
                    break;
                default:
                    break;
                }
            }
        });
    return store;
}

std::unique_ptr<ResultStore> EMDeviceData::queryStatisticsStore(std::time_t start, std::time_t end, int mode)
{
    const DataRows rows = queryStatistics(start, end, mode);
    const auto label = mode == kHourly  ? ResultStore::TimeLabel::Hourly
                       : mode == kDaily ? ResultStore::TimeLabel::Daily
                                        : ResultStore::TimeLabel::Monthly;
    return ResultStore::fromRows(rows, label, storeColumns(items_, true));
}

DataRows EMDeviceData::queryStatistics(std::time_t start, std::time_t end, int mode)
{
    DataRows rows;
    statement_ = buildStatisticsStatement(start, end, mode);
    if (statement_.empty()) {
        error_ = unusableNameError();
        return rows;
    }
    std::size_t year = 0, month = 0, day = 0, hour = 0;
    std::vector<std::size_t> columns(items_.size(), 0);
    error_ = runQuery(
        statement_,
        [&](const MysqlResultStream& result) {
            year = result.column("year");
            month = result.column("month");
            if (mode == kHourly || mode == kDaily)
                day = result.column("day");
            if (mode == kHourly)
                hour = result.column("hour");
            for (std::size_t i = 0; i < items_.size(); ++i) {
                int type = items_[i]->dataType;
                if (type == EMDeviceGroupItem::kInt64 || type == EMDeviceGroupItem::kInt64Alt ||
                    type == EMDeviceGroupItem::kDouble) {
                    columns[i] = result.column(items_[i]->c2);
                    if (!isNumericField(result.fieldType(columns[i])))
                        throw std::runtime_error("column " + items_[i]->c2 + " holds no numbers");
                }
            }
        },
        [&](const MysqlRow& row) {
            auto number = [&](std::size_t column) {
                return row.values[column] ? parseInteger(row.values[column], row.lengths[column]) : 0;
            };
            std::string label = std::to_string(number(year));
            label += '-';
            label += std::to_string(number(month));
            if (mode == kHourly || mode == kDaily) {
                label += '-';
                label += std::to_string(number(day));
            }
            if (mode == kHourly) {
                label += ' ';
                label += std::to_string(number(hour));
                label += ":00:00";
            }
            DataRow& out = rows.emplace_back();
            out.reserve(items_.size() + 1);
            out.emplace_back(EMDeviceGroupItem::kText, std::move(label));
            for (std::size_t i = 0; i < items_.size(); ++i) {
                int type = items_[i]->dataType;
                DataCell& cell = out.emplace_back(type, std::string());
                if (type == EMDeviceGroupItem::kInt64 || type == EMDeviceGroupItem::kInt64Alt ||
                    type == EMDeviceGroupItem::kDouble) {
                    const char* value = row.values[columns[i]];
                    appendDouble(cell.second, value ? parseDouble(value, row.lengths[columns[i]]) : 0.0);
                } else if (type == EMDeviceGroupItem::kInt || type == EMDeviceGroupItem::kText) {
                    cell.second = "--";
                }
            }
        });
    return rows;
}
