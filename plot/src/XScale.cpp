#include "XScale.h"

#include <cstdio>

#include "LocalTime.h"

namespace curvella {

const std::array<SpanInfo, kSpanCount> kSpans = {{
    {"1小时", 1, 6, 10, 1, false, true},
    {"4小时", 4, 4, 6, 1, false, true},
    {"8小时", 8, 8, 6, 2, false, true},
    {"12小时", 12, 12, 4, 1, false, true},
    {"1天", 24, 24, 2, 1, false, true},
    {"3天", 72, 24, 3, 1, false, true},
    {"周", 168, 7, 1, 1, true, false},
    {"月", 744, 31, 1, 2, false, false},
    {"年", 0, 12, 1, 1, true, false},
}};

namespace {

constexpr std::int64_t kDay = 86400;
constexpr std::int64_t kHour = 3600;

const char* const kLongHours[24] = {
    "12:00 上午", "1:00 上午", "2:00 上午", "3:00 上午", "4:00 上午", "5:00 上午",
    "6:00 上午",  "7:00 上午", "8:00 上午", "9:00 上午", "10:00 上午", "11:00 上午",
    "12:00 下午", "1:00 下午", "2:00 下午", "3:00 下午", "4:00 下午", "5:00 下午",
    "6:00 下午",  "7:00 下午", "8:00 下午", "9:00 下午", "10:00 下午", "11:00 下午"};
const char* const kShortHours[24] = {"午夜", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11",
                                     "中午", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11"};
const char* const kMinutes[5] = {"10", "20", "30", "40", "50"};
const char* const kWeekdays[7] = {"周日", "周一", "周二", "周三", "周四", "周五", "周六"};
const char* const kMonths[12] = {"一月", "二月", "三月", "四月", "五月", "六月",
                                 "七月", "八月", "九月", "十月", "十一", "十二"};

std::int64_t windowLength(int span) { return kSpans[static_cast<std::size_t>(span)].hours * kHour; }

}  // namespace

std::string XScale::shortDayLabel(std::int64_t stamp) {
    const CalendarFields f = breakDownLocal(stamp);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d/%02d/%02d", f.year % 100, f.month, f.day);
    return buf;
}

std::string XScale::longDayLabel(std::int64_t stamp) {
    const CalendarFields f = breakDownLocal(stamp);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s %d %s %02d", kWeekdays[f.weekday], f.year, kMonths[f.month - 1], f.day);
    return buf;
}

void XScale::setRange(std::int64_t firstTime, std::int64_t lastTime) {
    days_.clear();
    shortLabels_.clear();
    longLabels_.clear();
    span_ = kOneDaySpan;
    start_ = localMidnight(lastTime);
    end_ = start_ + kDay;
    // Step by calendar day rather than 86400 s so a daylight-saving change
    // cannot push an entry off midnight.
    std::int64_t day = localMidnight(firstTime);
    while (day < end_) {
        days_.push_back(day);
        shortLabels_.push_back(shortDayLabel(day));
        longLabels_.push_back(longDayLabel(day));
        day = localMidnight(day + kDay + 2 * kHour);
    }
    refreshDerived();
}

bool XScale::changeSpan(int s) {
    if (s < 0 || s >= kSpanCount || s == span_) return false;
    span_ = s;
    rewindow();
    return true;
}

void XScale::rewindow() {
    if (span_ == kYearSpan) {
        start_ = firstOfMonth(start_);
        end_ = firstOfMonth(start_, 12);
    } else {
        if (span_ == 6 || span_ == 7) start_ = localMidnight(start_);
        if (!days_.empty() && start_ < days_.front()) start_ = days_.front();
        end_ = start_ + windowLength(span_);
    }
    refreshDerived();
}

bool XScale::nextPage() {
    std::int64_t newStart, newEnd;
    if (span_ == kYearSpan) {
        newStart = firstOfMonth(start_, 1);
        newEnd = firstOfMonth(end_, 1);
    } else {
        std::int64_t step;
        if (span_ <= 3) step = windowLength(span_);
        else if (span_ <= 5) step = (24 - breakDownLocal(start_).hour) * kHour;
        else step = 24 * kHour;
        newStart = start_ + step;
        newEnd = end_ + step;
    }
    if (days_.empty() || newStart >= days_.back() + kDay) return false;
    start_ = newStart;
    end_ = newEnd;
    refreshDerived();
    return true;
}

bool XScale::previousPage() {
    std::int64_t newStart, newEnd;
    if (span_ == kYearSpan) {
        newStart = firstOfMonth(start_, -1);
        newEnd = firstOfMonth(end_, -1);
    } else {
        std::int64_t step;
        if (span_ <= 3) {
            step = windowLength(span_);
        } else if (span_ <= 5) {
            const int h = breakDownLocal(start_).hour;
            step = (h != 0 ? h : 24) * kHour;
        } else {
            step = 24 * kHour;
        }
        newStart = start_ - step;
        newEnd = end_ - step;
    }
    if (days_.empty() || newEnd <= days_.front()) return false;
    start_ = newStart;
    end_ = newEnd;
    refreshDerived();
    return true;
}

bool XScale::jumpToDay(std::size_t i) {
    if (i >= days_.size()) return false;
    start_ = days_[i];
    rewindow();
    return true;
}

void XScale::refreshDerived() {
    computeDayIndex();
    computeTickLabels();
}

void XScale::computeDayIndex() {
    const CalendarFields w = breakDownLocal(start_);
    dayIndex_ = days_.size();
    for (std::size_t i = 0; i < days_.size(); ++i) {
        const CalendarFields d = breakDownLocal(days_[i]);
        if (d.year == w.year && d.month == w.month && d.day >= w.day) {
            dayIndex_ = i;
            return;
        }
    }
}

void XScale::computeTickLabels() {
    ticks_.clear();
    const CalendarFields s = breakDownLocal(start_);
    const int h = s.hour;
    auto hours = [&](const char* const* table, int count, int every) {
        for (int k = 0; k < count; ++k) ticks_.push_back(table[(h + k * every) % 24]);
    };
    switch (span_) {
    case 0:
        ticks_.push_back(kLongHours[h]);
        for (const char* m : kMinutes) ticks_.push_back(m);
        ticks_.push_back(kLongHours[breakDownLocal(end_).hour]);
        break;
    case 1: hours(kLongHours, 5, 1); break;
    case 2: hours(kLongHours, 5, 2); break;
    case 3: hours(kShortHours, 13, 1); break;
    case 4: hours(kShortHours, 25, 1); break;
    case 5: hours(kShortHours, 25, 3); break;
    case 6:
        for (int k = 0; k < 7; ++k) ticks_.push_back(kWeekdays[(s.weekday + k) % 7]);
        break;
    case 7:
        for (std::int64_t t = start_; t < end_; t += 2 * kDay) ticks_.push_back(std::to_string(breakDownLocal(t).day));
        break;
    case 8:
        for (int k = 0; k < 12; ++k) ticks_.push_back(kMonths[(s.month - 1 + k) % 12]);
        break;
    default: break;
    }
}

std::string XScale::firstDayLongLabel() const {
    if (dayIndex_ < longLabels_.size()) return longLabels_[dayIndex_];
    // The year span can start before the first day of the list or page past
    // it; the window's own day is still the truthful text.
    return longDayLabel(start_);
}

std::string XScale::lastDayLongLabel() const { return longLabels_.empty() ? std::string() : longLabels_.back(); }

}  // namespace curvella
