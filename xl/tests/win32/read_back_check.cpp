// Build-machine half of the Windows container check: reads the workbooks the
// Windows build wrote (under Wine) with freexl and compares every cell.
//   g++ -std=c++20 read_back_check.cpp ../support/XlsReadBack.cpp -lfreexl
#include <cmath>
#include <cstdio>
#include <string>

#include "SampleBooks.h"
#include "XlsReadBack.h"

namespace {

int failures = 0;

void fail(const std::string& what)
{
    if (++failures <= 20)
        std::printf("FAIL: %s\n", what.c_str());
}

bool sameNumber(const xl::test::ReadCell* cell, double expected)
{
    return cell && cell->kind == xl::test::ReadCell::Number && std::fabs(cell->number - expected) < 1e-9;
}

bool sameText(const xl::test::ReadCell* cell, const std::string& expected)
{
    return cell && cell->kind == xl::test::ReadCell::Text && cell->text == expected;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace xl::sample;
    const std::string dir = argc > 1 ? std::string(argv[1]) + "/" : "./";
    std::string error;
    const auto small = xl::test::readXls(dir + "small.xls", &error);
    if (!small) {
        fail("small.xls unreadable: " + error);
    } else if (small->sheets.size() != 1 || small->sheets[0].name != kSmallSheet) {
        fail("small.xls: sheet name or count");
    } else {
        const auto& s = small->sheets[0];
        for (int c = 0; c < 3; ++c)
            if (!sameText(s.at(0, c), kHeaders[c]))
                fail("small.xls header " + std::to_string(c));
        for (int r = 1; r <= kSmallRows; ++r) {
            if (!sameText(s.at(r, 0), smallTime(r)) || !sameNumber(s.at(r, 1), smallTemperature(r))
                || !sameNumber(s.at(r, 2), smallHumidity(r)))
                fail("small.xls row " + std::to_string(r));
        }
    }
    // The same book under a Chinese name: found under exactly that name.
    const auto named = xl::test::readXls(dir + kUtf8Name, &error);
    if (!named)
        fail(std::string(kUtf8Name) + " unreadable under its UTF-8 name: " + error);
    else if (!small || named->sheets.size() != 1 || named->sheets[0].rows != small->sheets[0].rows)
        fail(std::string(kUtf8Name) + ": not the small sample");
    const auto large = xl::test::readXls(dir + "large.xls", &error);
    if (!large) {
        fail("large.xls unreadable: " + error);
    } else if (large->sheets.size() != 1 || large->sheets[0].rows != unsigned(kLargeRows)) {
        fail("large.xls: sheet count or rows");
    } else {
        const auto& s = large->sheets[0];
        for (int r = 0; r < kLargeRows; ++r)
            for (int c = 0; c < kLargeColumns; ++c)
                if (!sameNumber(s.at(r, c), largeValue(r, c)))
                    fail("large.xls cell " + std::to_string(r) + "," + std::to_string(c));
    }
    std::printf("%s: %d failure(s)\n", failures ? "FAILED" : "passed", failures);
    return failures ? 1 : 0;
}
