#include "ui/model/ResultPlotRows.h"

#include <cmath>
#include <ctime>

namespace quorvel::ui {

namespace {

constexpr std::int64_t kDaySeconds = 86400;

bool fieldsInRange(const PointTime& t)
{
    return t.year >= 1900 && t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= 31 && t.hour >= 0
           && t.hour <= 23 && t.minute >= 0 && t.minute <= 59 && t.second >= 0 && t.second <= 59;
}

// The stamp of a local calendar time, as the plot's AddDatas takes it:
// daylight saving left to the system, dates that roll over refused.
bool localStamp(const PointTime& t, std::int64_t& out)
{
    if (!fieldsInRange(t))
        return false;
    std::tm tm{};
    tm.tm_year = t.year - 1900;
    tm.tm_mon = t.month - 1;
    tm.tm_mday = t.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_sec = t.second;
    tm.tm_isdst = -1;
    const int year = tm.tm_year, month = tm.tm_mon, day = tm.tm_mday;
    const std::time_t s = std::mktime(&tm);
    if (s == static_cast<std::time_t>(-1) || tm.tm_year != year || tm.tm_mon != month || tm.tm_mday != day)
        return false;
    out = static_cast<std::int64_t>(s);
    return true;
}

}  // namespace

ResultPlotRows::ResultPlotRows(std::shared_ptr<const ResultStore> store, const SeriesKind& kind)
    : store_(std::move(store)), kind_(kind), rows_(store_->size())
{
    const auto& items = store_->items();
    for (std::size_t i = 0; i < items.size(); ++i)
        if (isPlotted(items[i].type, kind_))
            plotted_.push_back(i + 1);

    // One pass: which rows the plot can place, and whether they ascend.
    std::int64_t previous = 0;
    bool any = false;
    std::vector<std::uint32_t> kept;
    bool skipping = false;
    for (std::size_t r = 0; r < rows_; ++r) {
        std::int64_t t = 0;
        if (!storeTime(r, t)) {
            if (!skipping) {
                skipping = true;
                kept.reserve(rows_);
                for (std::size_t k = 0; k < r; ++k)
                    kept.push_back(static_cast<std::uint32_t>(k));
            }
            continue;
        }
        if (skipping)
            kept.push_back(static_cast<std::uint32_t>(r));
        if (any && t < previous)
            ascending_ = false;
        previous = t;
        any = true;
    }
    if (skipping) {
        kept.shrink_to_fit();
        rowMap_ = std::move(kept);
    }
    // With every row skipped the map is empty too: say so by no rows.
    if (skipping && rowMap_.empty())
        rows_ = 0;
}

bool ResultPlotRows::storeTime(std::size_t row, std::int64_t& out) const
{
    ResultStore::Fields f;
    PointTime t;
    if (store_->timeFields(row, f)) {
        t = {f.year, f.month, f.day, f.hour, f.minute, f.second};
        if (kind_.statistics) {
            if (kind_.period == 0)
                t.minute = t.second = 0;
            else if (kind_.period == 1)
                t.hour = t.minute = t.second = 0;
            else
                t = {f.year, f.month, 15, 0, 0, 0};
        }
    } else {
        auto parsed = pointTime(store_->cellText(row, 0), kind_);
        if (!parsed)
            return false;
        t = *parsed;
    }
    if (!fieldsInRange(t))
        return false;
    const std::int64_t key = (static_cast<std::int64_t>(t.year) * 100 + t.month) * 100 + t.day;
    Day& day = days_[static_cast<std::size_t>(key) % days_.size()];
    if (day.key != key) {
        day.key = key;
        std::int64_t last = 0;
        day.valid = localStamp({t.year, t.month, t.day, 0, 0, 0}, day.midnight);
        day.uniform = day.valid && localStamp({t.year, t.month, t.day, 23, 59, 59}, last)
                      && last - day.midnight == kDaySeconds - 1;
    }
    if (!day.valid)
        return false;
    if (day.uniform) {
        out = day.midnight + t.hour * 3600 + t.minute * 60 + t.second;
        return true;
    }
    return localStamp(t, out);
}

std::int64_t ResultPlotRows::RowTime(std::size_t r) const
{
    std::int64_t t = 0;
    storeTime(StoreRow(r), t);
    return t;
}

double ResultPlotRows::RowValue(std::size_t r, int k) const
{
    if (k < 0 || static_cast<std::size_t>(k) >= plotted_.size())
        return NAN;
    return store_->cellNumber(StoreRow(r), plotted_[static_cast<std::size_t>(k)]);
}

}  // namespace quorvel::ui
