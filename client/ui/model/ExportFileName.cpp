#include "ui/model/ExportFileName.h"

#include <cstring>

namespace quorvel::ui {

std::string fileNamePart(std::string_view utf8)
{
    std::string out(utf8);
    // Only ASCII bytes are examined: in UTF-8 they never occur inside a
    // multi-byte character.
    for (char& c : out) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || std::strchr("\\/:*?\"<>|", c))
            c = '_';
    }
    if (!out.empty() && out.find_first_not_of('.') == std::string::npos)
        out.assign(out.size(), '_');
    return out;
}

std::string exportTimeText(std::time_t t)
{
    struct tm local {};
    if (!localtime_r(&t, &local))
        return {};
    char text[32];
    const size_t n = std::strftime(text, sizeof text, "%Y%m%d%H%M%S", &local);
    return std::string(text, n);
}

std::string historyExportFileName(std::string_view deviceUtf8, std::string_view groupUtf8,
                                  std::time_t start, std::time_t end)
{
    return fileNamePart(deviceUtf8) + "_" + fileNamePart(groupUtf8) + "_" + exportTimeText(start) + "-"
           + exportTimeText(end) + "_history.xls";
}

std::string statisticsExportFileName(std::string_view deviceUtf8, std::string_view groupUtf8,
                                     std::time_t start, std::time_t end, int period)
{
    return fileNamePart(deviceUtf8) + "_" + fileNamePart(groupUtf8) + "_" + exportTimeText(start) + "-"
           + exportTimeText(end) + "_" + statisticsPeriodName(period) + "_statistics.xls";
}

std::string statisticsPeriodName(int period)
{
    switch (period) {
    case kPeriodHour:
        return "小时";
    case kPeriodDay:
        return "日";
    default:
        return "月";
    }
}

}  // namespace quorvel::ui
