// Time axis: the days covered by the data, the visible window, its span and
// its tick labels; span changes, paging and date jumps.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace curvella {

struct SpanInfo {
    const char* name;   // span menu and span button text (UTF-8)
    int hours;          // window length; the year span uses calendar months
    int majors;         // major ticks
    int minors;         // minor intervals per major (1: none)
    int labelEvery;     // a label on every n-th major
    bool labelRight;    // label right of the tick instead of at it
    bool labelOnLast;   // the last major carries a label
};

constexpr int kSpanCount = 9;
constexpr int kOneDaySpan = 4;
constexpr int kYearSpan = 8;
extern const std::array<SpanInfo, kSpanCount> kSpans;

class XScale {
public:
    // Day list from the first time's day to the last time's day, one-day
    // span, window on the last day.
    void setRange(std::int64_t firstTime, std::int64_t lastTime);

    // Sets span s (0..8) and re-windows when it differs; false when it did
    // not change (same span or out of range).
    bool changeSpan(int s);

    // Page forward/back; false (nothing changed) past the day list's ends.
    bool nextPage();
    bool previousPage();

    // Window from day i of the day list, re-windowed for the span.
    bool jumpToDay(std::size_t i);

    std::int64_t windowStart() const { return start_; }
    std::int64_t windowEnd() const { return end_; }
    int span() const { return span_; }
    const char* spanName() const { return kSpans[static_cast<std::size_t>(span_)].name; }
    const std::vector<std::int64_t>& days() const { return days_; }
    const std::vector<std::string>& shortDayLabels() const { return shortLabels_; }
    const std::vector<std::string>& longDayLabels() const { return longLabels_; }
    std::size_t dayIndex() const { return dayIndex_; }
    const std::vector<std::string>& tickLabels() const { return ticks_; }

    // Long label of the window's first day ("周六 2014 七月 19").
    std::string firstDayLongLabel() const;
    // Long label of the last day of the list (empty list: empty text).
    std::string lastDayLongLabel() const;

    static std::string shortDayLabel(std::int64_t stamp);
    static std::string longDayLabel(std::int64_t stamp);

private:
    void rewindow();
    void refreshDerived();
    void computeDayIndex();
    void computeTickLabels();

    std::int64_t start_ = 0, end_ = 0;
    int span_ = kOneDaySpan;
    std::vector<std::int64_t> days_;
    std::vector<std::string> shortLabels_, longLabels_;
    std::size_t dayIndex_ = 0;
    std::vector<std::string> ticks_;
};

}  // namespace curvella
