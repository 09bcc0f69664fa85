#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>

#include "DatasManager.h"
#include "LocalTime.h"

using namespace curvella;

namespace {

std::int64_t at(int h, int mi = 0, int d = 19) { return localTimeOrThrow(2014, 7, d, h, mi, 0); }

std::vector<Plot> plots(int n) {
    std::vector<Plot> p(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        p[static_cast<std::size_t>(i)].index = i;
        p[static_cast<std::size_t>(i)].displayMaximum = p[static_cast<std::size_t>(i)].dataMaximum = 1000;
        p[static_cast<std::size_t>(i)].displayMinimum = p[static_cast<std::size_t>(i)].dataMinimum = 0;
    }
    return p;
}

void add(DatasManager& d, std::int64_t t, std::vector<double> v) { d.addRowAt(t, v.data(), static_cast<int>(v.size())); }

}  // namespace

TEST(DatasManagerRows, RejectsInvalidFieldsAndKeepsValidRows) {
    DatasManager d;
    const double v[2] = {1, 2};
    EXPECT_FALSE(d.addRow(1899, 1, 1, 0, 0, 0, v, 2));
    EXPECT_FALSE(d.addRow(2014, 2, 30, 0, 0, 0, v, 2));
    EXPECT_FALSE(d.addRow(2014, 7, 19, 0, 0, 60, v, 2));
    EXPECT_TRUE(d.addRow(2014, 7, 19, 10, 0, 0, v, 2));
    ASSERT_EQ(d.rows().size(), 1u);
    EXPECT_EQ(d.rows().time(0), at(10));
    EXPECT_EQ(d.rows().value(0, 1), 2);
    EXPECT_TRUE(std::isnan(d.rows().value(0, 2)));  // never read past the row
    d.clear();
    EXPECT_TRUE(d.rows().empty());
    EXPECT_TRUE(d.windowRows().empty());
}

TEST(DatasManagerWindow, CutsTheRowsInsideAndFitsRanges) {
    DatasManager d;
    add(d, at(10), {12, 7});
    add(d, at(14), {87, 7});
    auto p = plots(2);
    d.cutWindow(at(0), at(0, 0, 20), p);
    EXPECT_EQ(d.windowRows().size(), 2u);
    EXPECT_EQ(p[0].displayMaximum, 87);
    EXPECT_EQ(p[0].displayMinimum, 12);
    EXPECT_EQ(p[1].displayMaximum, 7);  // flat: 7 to 7
    EXPECT_EQ(p[1].displayMinimum, 7);

    // 00:00 to 01:00 holds no row: nothing drawn, ranges untouched.
    d.cutWindow(at(0), at(1), p);
    EXPECT_TRUE(d.windowRows().empty());
    EXPECT_EQ(p[0].displayMaximum, 87);
    EXPECT_EQ(p[0].dataMinimum, 12);

    // Window edges are inclusive.
    d.cutWindow(at(10), at(14), p);
    EXPECT_EQ(d.windowRows().size(), 2u);
    d.cutWindow(at(10, 1), at(14), p);
    EXPECT_EQ(d.windowRows().size(), 1u);
    EXPECT_EQ(p[0].displayMinimum, 87);
}

TEST(DatasManagerWindow, LockedRangesOnlyWidenFixedRangesNeverMove) {
    DatasManager d;
    add(d, at(1), {50, 50});
    add(d, at(2), {60, 60});
    add(d, at(3), {200, 200});
    auto p = plots(2);
    p[1].fixedRange = true;
    d.cutWindow(at(1), at(2), p);
    p[0].locked = true;
    d.cutWindow(at(1), at(3), p);  // wider window: larger values join
    EXPECT_EQ(p[0].displayMaximum, 200);
    EXPECT_EQ(p[0].displayMinimum, 50);
    d.cutWindow(at(2), at(2), p);  // narrow again: the locked range stays
    EXPECT_EQ(p[0].displayMaximum, 200);
    EXPECT_EQ(p[0].displayMinimum, 50);
    EXPECT_EQ(p[0].dataMaximum, 60);
    EXPECT_EQ(p[0].dataMinimum, 60);
    EXPECT_EQ(p[1].displayMaximum, 1000);
    EXPECT_EQ(p[1].displayMinimum, 0);
    EXPECT_EQ(p[1].dataMaximum, 1000);
}

TEST(DatasManagerWindow, ShortRowsAndMissingValuesAreSkipped) {
    DatasManager d;
    add(d, at(1), {5, 9});
    add(d, at(2), {6});  // second series has no value here
    add(d, at(3), {});
    auto p = plots(3);
    d.cutWindow(at(0), at(4), p);
    EXPECT_EQ(d.windowRows().size(), 3u);
    EXPECT_EQ(p[0].displayMaximum, 6);
    EXPECT_EQ(p[1].displayMaximum, 9);
    EXPECT_EQ(p[1].displayMinimum, 9);
    // A series without a single value in the window gets the empty range.
    EXPECT_EQ(p[2].displayMaximum, -1e9);
    EXPECT_EQ(p[2].displayMinimum, 1e9);
}

TEST(DatasManagerWindow, RowsOutOfOrderAreCutByScanning) {
    DatasManager d;
    add(d, at(5), {1});
    add(d, at(3), {2});
    add(d, at(8), {3});
    ASSERT_FALSE(d.rows().ascending());
    auto p = plots(1);
    d.cutWindow(at(4), at(9), p);
    // First row at or after 04:00 is row 0, last at or before 09:00 is row 2.
    EXPECT_EQ(d.windowRows().size(), 3u);
    d.cutWindow(at(6), at(7), p);  // s = row 2, e = row 1: nothing inside
    EXPECT_TRUE(d.windowRows().empty());
}

TEST(RowStoreExtremes, BlocksAgreeWithAPlainScan) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> value(-100, 100);
    std::uniform_int_distribution<int> pick(0, 9);
    RowStore s;
    for (int r = 0; r < 1000; ++r) {
        double v[2] = {value(rng), value(rng)};
        if (pick(rng) == 0) v[0] = NAN;
        if (r % 10 == 3 && r > 200) v[0] = v[1] = 42;  // ties: the first row must win
        s.append(r, v, pick(rng) == 0 ? 1 : 2);         // some rows lack the second value
    }
    std::uniform_int_distribution<std::size_t> at(0, 1000);
    for (int trial = 0; trial < 400; ++trial) {
        std::size_t b = at(rng), e = at(rng);
        if (b > e) std::swap(b, e);
        for (int k : {0, 1, 2}) {
            Extremes want;
            for (std::size_t r = b; r < e; ++r) {
                const double v = s.value(r, k);
                if (!std::isfinite(v)) continue;
                if (!want.any) want = {true, v, v, r, r};
                if (v < want.low) want = {true, v, want.high, r, want.highAt};
                if (v > want.high) want = {true, want.low, v, want.lowAt, r};
            }
            const Extremes got = s.extremes(k, b, e);
            ASSERT_EQ(got.any, want.any) << b << ".." << e << " k " << k;
            if (!want.any) continue;
            EXPECT_EQ(got.low, want.low);
            EXPECT_EQ(got.high, want.high);
            EXPECT_EQ(got.lowAt, want.lowAt) << b << ".." << e << " k " << k;
            EXPECT_EQ(got.highAt, want.highAt) << b << ".." << e << " k " << k;
        }
    }
    // Blocks follow new rows.
    const double big = 1e6;
    s.append(1000, &big, 1);
    EXPECT_EQ(s.extremes(0, 0, 1001).high, 1e6);
    EXPECT_EQ(s.extremes(0, 0, 1001).highAt, 1000u);
}

namespace {

// Rows held by the caller, read in place (as the client's result store is).
class VectorRows : public CoordsSysRows {
public:
    std::vector<std::int64_t> times;
    std::vector<std::vector<double>> values;
    int count = 0;
    std::size_t RowCount() const override { return times.size(); }
    std::int64_t RowTime(std::size_t r) const override { return times[r]; }
    bool RowsAscending() const override { return std::is_sorted(times.begin(), times.end()); }
    int ValueCount() const override { return count; }
    double RowValue(std::size_t r, int k) const override { return values[r][static_cast<std::size_t>(k)]; }
};

}  // namespace

// Rows read in place cut and fit exactly as the same rows appended, over
// windows that start and end inside blocks and span many pages of blocks.
TEST(DatasManagerSource, WindowsOfRowsReadInPlaceMatchAppendedRows) {
    auto source = std::make_shared<VectorRows>();
    source->count = 2;
    DatasManager appended;
    std::mt19937 random(7);
    std::uniform_real_distribution<double> value(-500, 500);
    const std::int64_t start = at(0, 0, 1);
    for (std::int64_t r = 0; r < 200000; ++r) {
        std::vector<double> v{value(random), r % 1000 == 0 ? NAN : value(random)};
        source->times.push_back(start + r * 60);
        source->values.push_back(v);
        add(appended, start + r * 60, v);
    }
    DatasManager inPlace;
    inPlace.setSource(source);
    ASSERT_EQ(inPlace.rows().size(), 200000u);
    EXPECT_TRUE(inPlace.rows().ascending());
    EXPECT_TRUE(inPlace.rows().external());
    EXPECT_TRUE(std::isnan(inPlace.rows().value(5, 2)));  // past the row's values

    for (auto [from, to] : std::vector<std::pair<std::int64_t, std::int64_t>>{
             {0, 199999}, {37, 1500}, {65000, 140003}, {199990, 199999}, {64, 128}}) {
        auto a = plots(2), b = plots(2);
        appended.cutWindow(start + from * 60, start + to * 60, a);
        inPlace.cutWindow(start + from * 60, start + to * 60, b);
        EXPECT_EQ(inPlace.windowRows().size(), appended.windowRows().size());
        EXPECT_EQ(inPlace.windowRows().begin(), appended.windowRows().begin());
        for (std::size_t k = 0; k < 2; ++k) {
            EXPECT_EQ(b[k].displayMaximum, a[k].displayMaximum) << from << ".." << to;
            EXPECT_EQ(b[k].displayMinimum, a[k].displayMinimum) << from << ".." << to;
        }
    }
    // Dropping the source drops the rows, and appending works again.
    inPlace.clear();
    EXPECT_TRUE(inPlace.rows().empty());
    EXPECT_FALSE(inPlace.rows().external());
    add(inPlace, at(10), {1, 2});
    EXPECT_EQ(inPlace.rows().size(), 1u);
}
