#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "YScale.h"

using namespace curvella;

namespace {

std::vector<std::string> labelsOf(const AxisEntry& e) { return e.labels; }

}  // namespace

TEST(YScaleAxis, RangeTwelveToEightySevenRoundsToTens) {
    const AxisEntry e = YScale::computeAxis(87, 12);
    EXPECT_DOUBLE_EQ(e.record.bottom, 10);
    EXPECT_DOUBLE_EQ(e.record.top, 90);
    EXPECT_DOUBLE_EQ(e.record.step, 10);
    EXPECT_EQ(e.record.intervals, 8);
    EXPECT_DOUBLE_EQ(e.record.mantissa, 10);  // 4 minor intervals when drawn
    EXPECT_EQ(labelsOf(e), (std::vector<std::string>{"10", "20", "30", "40", "50", "60", "70", "80", "90"}));
}

TEST(YScaleAxis, ClientStartingRangeGivesStepHundred) {
    const AxisEntry e = YScale::computeAxis(1000, 0);
    EXPECT_DOUBLE_EQ(e.record.step, 100);
    EXPECT_EQ(e.record.intervals, 10);
    ASSERT_EQ(e.labels.size(), 11u);
    EXPECT_EQ(e.labels.front(), "0");
    EXPECT_EQ(e.labels.back(), "1000");
}

TEST(YScaleAxis, FlatSeriesAreWidened) {
    const AxisEntry fifty = YScale::computeAxis(50, 50);
    EXPECT_DOUBLE_EQ(fifty.record.bottom, 40);
    EXPECT_DOUBLE_EQ(fifty.record.top, 60);
    EXPECT_DOUBLE_EQ(fifty.record.step, 2);

    const AxisEntry minus = YScale::computeAxis(-10, -10);
    EXPECT_DOUBLE_EQ(minus.record.bottom, -12);
    EXPECT_DOUBLE_EQ(minus.record.top, -9.5);
    EXPECT_DOUBLE_EQ(minus.record.step, 0.5);
    EXPECT_EQ(labelsOf(minus), (std::vector<std::string>{"-12.0", "-11.5", "-11.0", "-10.5", "-10.0", "-9.5"}));

    const AxisEntry zero = YScale::computeAxis(0, 0);
    EXPECT_DOUBLE_EQ(zero.record.bottom, -5);
    EXPECT_DOUBLE_EQ(zero.record.top, 5);
    ASSERT_EQ(zero.labels.size(), 11u);
    EXPECT_EQ(zero.labels.front(), "-5");
    EXPECT_EQ(zero.labels[5], "0");
    EXPECT_EQ(zero.labels.back(), "5");

    const AxisEntry seven = YScale::computeAxis(7, 7);
    EXPECT_DOUBLE_EQ(seven.record.minimum, 0.8 * 7);
    EXPECT_DOUBLE_EQ(seven.record.maximum, 1.2 * 7);
    EXPECT_DOUBLE_EQ(seven.record.bottom, 5.5);
    EXPECT_DOUBLE_EQ(seven.record.top, 8.5);
    EXPECT_DOUBLE_EQ(seven.record.step, 0.5);
}

// A counter channel runs past what an int holds: its labels keep their
// digits, in the same whole-number look, on both sides of zero.
TEST(YScaleAxis, LabelsBeyondTwoToTheThirtyFirstKeepTheirDigits) {
    const AxisEntry up = YScale::computeAxis(6e9, 0);
    EXPECT_DOUBLE_EQ(up.record.step, 1e9);
    EXPECT_EQ(labelsOf(up), (std::vector<std::string>{"0", "1000000000", "2000000000", "3000000000", "4000000000",
                                                      "5000000000", "6000000000"}));
    const AxisEntry down = YScale::computeAxis(-2147483000.0, -2147484000.0 - 3000.0);
    ASSERT_FALSE(down.labels.empty());
    EXPECT_EQ(down.labels.front(), "-2147487000");
    EXPECT_EQ(down.labels.back(), "-2147483000");
    const AxisEntry huge = YScale::computeAxis(3e19, 1e19);
    ASSERT_FALSE(huge.labels.empty());
    EXPECT_EQ(huge.labels.front(), "10000000000000000000");
    EXPECT_EQ(huge.labels.back(), "30000000000000000000");
}

TEST(YScaleAxis, FractionalRangeUsesHalfSteps) {
    const AxisEntry e = YScale::computeAxis(3.2, 1.1);
    EXPECT_DOUBLE_EQ(e.record.step, 0.5);
    EXPECT_DOUBLE_EQ(e.record.mantissa, 5);
    EXPECT_EQ(labelsOf(e), (std::vector<std::string>{"1.0", "1.5", "2.0", "2.5", "3.0", "3.5"}));
}

TEST(YScaleAxis, SmallStepsGetMatchingDecimals) {
    const AxisEntry e = YScale::computeAxis(0.32, 0.11);
    EXPECT_DOUBLE_EQ(e.record.step, 0.05);
    ASSERT_FALSE(e.labels.empty());
    EXPECT_EQ(e.labels.front(), "0.10");
    EXPECT_EQ(e.labels.back(), "0.35");
    // Bounds that are exact multiples must not gain or lose a tick to
    // floating-point noise.
    const AxisEntry exact = YScale::computeAxis(0.7, 0.1);
    EXPECT_NEAR(exact.record.top, 0.7, 1e-12);
    EXPECT_NEAR(exact.record.bottom, 0.1, 1e-12);
    EXPECT_EQ(exact.record.intervals, 6);
}

TEST(YScaleAxis, UnusableRangesKeepTheStartingRecordWithoutLabels) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (auto [hi, lo] : {std::pair{nan, 0.0}, {inf, 0.0}, {1.0, 2.0}, {1e9 * -1, 1e9}}) {
        const AxisEntry e = YScale::computeAxis(hi, lo);
        EXPECT_TRUE(e.labels.empty());
        EXPECT_DOUBLE_EQ(e.record.top, 100);
        EXPECT_DOUBLE_EQ(e.record.step, 10);
    }
    // Finite bounds whose difference overflows must not hang the loop.
    const AxisEntry huge = YScale::computeAxis(std::numeric_limits<double>::max(), -std::numeric_limits<double>::max());
    EXPECT_TRUE(huge.labels.empty());
}

TEST(YScaleRebuild, EqualUnitsShareOneAxisCoveringAll) {
    Plot a, b, c;
    a.unit = "℃";
    a.displayMaximum = 30;
    a.displayMinimum = 12;
    b.unit = "℃";
    b.displayMaximum = 87;
    b.displayMinimum = 20;
    c.unit = "%";
    c.displayMaximum = 1000;
    c.displayMinimum = 0;
    YScale y;
    y.rebuild({&a, &b, &c});
    ASSERT_EQ(y.size(), 2u);
    const AxisEntry* t = y.find("℃");
    ASSERT_NE(t, nullptr);
    EXPECT_DOUBLE_EQ(t->record.bottom, 10);
    EXPECT_DOUBLE_EQ(t->record.top, 90);
    EXPECT_DOUBLE_EQ(y.find("%")->record.step, 100);
    EXPECT_EQ(y.find("m"), nullptr);

    // A plot whose window held no value has the inverted range -1e9 / 1e9.
    Plot empty;
    empty.unit = "V";
    empty.displayMaximum = -1e9;
    empty.displayMinimum = 1e9;
    y.rebuild({&empty});
    ASSERT_NE(y.find("V"), nullptr);
    EXPECT_TRUE(y.find("V")->labels.empty());
    EXPECT_EQ(y.find("℃"), nullptr);  // rebuilt from scratch
}
