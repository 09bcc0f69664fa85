#pragma once
// The file names proposed by the export of the history and statistics views.
// Window-free so the rules are tested without a display. Text is UTF-8.
#include <ctime>
#include <string>
#include <string_view>

namespace quorvel::ui {

// A device or group name made fit for a file name: path separators, the
// characters other systems forbid (\ / : * ? " < > |) and control characters
// become '_'; a name of only dots (".", "..") becomes underscores too.
std::string fileNamePart(std::string_view utf8);

// "%Y%m%d%H%M%S" in local time (14 digits); empty if the time cannot be converted.
std::string exportTimeText(std::time_t t);

// "<device>_<group>_<start>-<end>_history.xls"
std::string historyExportFileName(std::string_view deviceUtf8, std::string_view groupUtf8,
                                  std::time_t start, std::time_t end);

// "<device>_<group>_<start>-<end>_<period>_statistics.xls", period being
// statisticsPeriodName() of the last statistics run.
std::string statisticsExportFileName(std::string_view deviceUtf8, std::string_view groupUtf8,
                                     std::time_t start, std::time_t end, int period);

// Period of a statistics run: 0 hour, 1 day, 2 month (any other value: month).
inline constexpr int kPeriodHour = 0;
inline constexpr int kPeriodDay = 1;
inline constexpr int kPeriodMonth = 2;
// "小时", "日" or "月" (UTF-8).
std::string statisticsPeriodName(int period);

}  // namespace quorvel::ui
