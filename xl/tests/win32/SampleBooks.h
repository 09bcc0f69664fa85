// The workbooks written by the Windows build and read back on the build
// machine by freexl: both sides compute the expected cells from here.
#pragma once

#include <string>

namespace xl::sample {

// "导出样本.xls": the small sample saved a second time under a Chinese name.
inline constexpr const char* kUtf8Name = "\xE5\xAF\xBC\xE5\x87\xBA\xE6\xA0\xB7\xE6\x9C\xAC.xls";

// Small book: a Chinese sheet name and header, dates as text, numbers.
inline const char* const kSmallSheet = "\xE5\x8E\x86\xE5\x8F\xB2\xE6\x95\xB0\xE6\x8D\xAE"; // 历史数据
inline const char* const kHeaders[] = {"\xE6\x97\xB6\xE9\x97\xB4", "\xE6\xB8\xA9\xE5\xBA\xA6",
                                       "\xE6\xB9\xBF\xE5\xBA\xA6"}; // 时间 温度 湿度
constexpr int kSmallRows = 200;

inline std::string smallTime(int row)
{
    return "2026-12-08 " + std::to_string(10 + row / 60) + ":" + (row % 60 < 10 ? "0" : "")
           + std::to_string(row % 60) + ":00";
}
inline double smallTemperature(int row) { return 20.0 + row * 0.25; }
inline double smallHumidity(int row) { return -row; }

// Large book: enough cells that the allocation table outgrows the header's
// 109 entries and continues in extra sectors.
inline const char* const kLargeSheet = "big";
constexpr int kLargeRows = 65536;
constexpr int kLargeColumns = 8;
inline double largeValue(int row, int column) { return row * 10.0 + column + 0.5; }

} // namespace xl::sample
