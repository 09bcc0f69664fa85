// Build-machine helper of the driven Windows program check: prints what
// freexl reads from a workbook the program exported under Wine, one line:
//   <sheets>|<rows>|<columns>|<first data cell of column 0>|<last one>
//   g++ -std=c++20 xls_summary.cpp ../support/XlsReadBack.cpp -lfreexl
#include <cstdio>
#include <string>

#include "XlsReadBack.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: xls_summary FILE.xls\n");
        return 2;
    }
    std::string error;
    const auto book = xl::test::readXls(argv[1], &error);
    if (!book || book->sheets.empty()) {
        std::fprintf(stderr, "unreadable: %s\n", error.c_str());
        return 1;
    }
    const auto& sheet = book->sheets[0];
    auto text = [&](unsigned row) {
        const xl::test::ReadCell* cell = sheet.at(row, 0);
        return cell && cell->kind == xl::test::ReadCell::Text ? cell->text : std::string("-");
    };
    std::printf("%zu|%u|%u|%s|%s\n", book->sheets.size(), sheet.rows, sheet.columns, text(1).c_str(),
                sheet.rows > 1 ? text(sheet.rows - 1).c_str() : "-");
    return 0;
}
