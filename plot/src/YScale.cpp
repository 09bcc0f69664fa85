#include "YScale.h"

#include <cmath>
#include <cstdio>

namespace curvella {

namespace {

// Divisions of two multiples of the step land a hair off the integer; this
// keeps 8.7/0.1 from becoming 88 ticks or 2.9999 from losing one.
constexpr double kSlack = 1e-9;

std::string formatLabel(double value, double step) {
    // Wide enough for any finite double in fixed notation (up to 309 digits).
    char buf[400];
    if (step >= 1.0 - kSlack) {
        // The value cut to an integer, as "%d" shows one, but without a cast
        // to int: a counter beyond +-2^31 keeps its digits.
        double whole = std::trunc(value);
        if (whole == 0.0) whole = 0.0;  // no "-0"
        std::snprintf(buf, sizeof buf, "%.0f", whole);
        return buf;
    }
    int decimals = 0;
    for (double s = step; s < 1.0 - kSlack && decimals < 20; s *= 10) ++decimals;
    char format[16];
    std::snprintf(format, sizeof format, "%%.%df", decimals);
    // Avoid "-0.0" for a bound that is zero up to rounding noise.
    if (std::fabs(value) < step * kSlack) value = 0.0;
    std::snprintf(buf, sizeof buf, format, value);
    return buf;
}

}  // namespace

AxisEntry YScale::computeAxis(double maximum, double minimum) {
    AxisEntry entry;
    if (!std::isfinite(maximum) || !std::isfinite(minimum) || minimum > maximum) return entry;

    double M = maximum, m = minimum;
    if (m == M) {
        const double v = m;
        if (v > 0) {
            m = 0.8 * v;
            M = 1.2 * v;
        } else if (v < 0) {
            m = 1.2 * v;
            M = 0.96 * v;
        } else {
            m = -5;
            M = 5;
        }
    }
    double span = M - m;
    if (!std::isfinite(span)) return entry;  // e.g. -DBL_MAX .. DBL_MAX
    double magnitude = 1;
    if (span > 1) {
        while (span > 10) {
            span /= 10;
            magnitude *= 10;
        }
    } else {
        while (span < 1) {
            span *= 10;
            magnitude /= 10;
        }
    }
    double mantissa = 10;
    for (double candidate : {1.0, 2.0, 5.0, 10.0}) {
        if (candidate >= span - kSlack) {
            mantissa = candidate;
            break;
        }
    }
    const double step = magnitude / 10 * mantissa;
    const double top = std::ceil(M / step - kSlack) * step;
    double bottom = std::ceil(m / step - kSlack) * step;
    if (bottom > m + step * kSlack) bottom -= step;

    AxisRecord& r = entry.record;
    r.maximum = M;
    r.minimum = m;
    r.top = top;
    r.bottom = bottom;
    r.step = step;
    r.mantissa = mantissa;
    r.intervals = static_cast<int>(std::floor((top - bottom) / step + kSlack));
    entry.labels.reserve(static_cast<std::size_t>(r.intervals) + 1);
    for (int u = 0; u <= r.intervals; ++u) entry.labels.push_back(formatLabel(bottom + u * step, step));
    return entry;
}

void YScale::rebuild(const std::vector<const Plot*>& selection) {
    entries_.clear();
    for (const Plot* p : selection) {
        auto it = entries_.find(p->unit);
        if (it == entries_.end()) {
            AxisEntry e;
            e.record.maximum = p->displayMaximum;
            e.record.minimum = p->displayMinimum;
            entries_.emplace(p->unit, e);
        } else {
            if (p->displayMaximum > it->second.record.maximum) it->second.record.maximum = p->displayMaximum;
            if (p->displayMinimum < it->second.record.minimum) it->second.record.minimum = p->displayMinimum;
        }
    }
    for (auto& [unit, e] : entries_) {
        if (e.record.minimum <= e.record.maximum) {
            AxisEntry computed = computeAxis(e.record.maximum, e.record.minimum);
            // An unusable range keeps the starting record, as an inverted one does.
            e = computed.labels.empty() ? AxisEntry{} : std::move(computed);
        } else {
            e = AxisEntry{};
        }
    }
}

const AxisEntry* YScale::find(const std::string& unit) const {
    auto it = entries_.find(unit);
    return it == entries_.end() ? nullptr : &it->second;
}

}  // namespace curvella
