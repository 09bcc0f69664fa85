// Fills one full sheet the way the history export does (a time label and
// eight numbers per row) and saves it; prints the times and peak memory.
// Usage: bench_xls_export [rows] [output folder]
#include <xl/Book.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

long peakKiB()
{
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv)
{
    const int rows = argc > 1 ? std::atoi(argv[1]) : xl::kMaxRows;
    const std::string folder = argc > 2 ? argv[2] : "/tmp";
    const std::string path = folder + "/bench_xls_export_" + std::to_string(getpid()) + ".xls";
    constexpr int kItems = 8;

    const auto start = Clock::now();
    xl::Book* book = xl::createBook();
    xl::Sheet* sheet = book->addSheet("Sheet1");
    sheet->writeText(0, 0, "DataTime");
    for (int c = 1; c <= kItems; ++c)
        sheet->writeText(0, c, "测点" + std::to_string(c));
    std::time_t t = 1552780800; // 2019-03-17
    char label[64];
    for (int r = 1; r < rows; ++r, t += 60) {
        struct tm tm {};
        localtime_r(&t, &tm);
        std::snprintf(label, sizeof label, "%d-%d-%02d %02d:%02d:%02d", tm.tm_year + 1900, tm.tm_mon + 1,
                      tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
        sheet->writeText(r, 0, label);
        for (int c = 1; c <= kItems; ++c)
            sheet->writeNumber(r, c, (r % 1000) * 0.25 + c);
    }
    const double fillMs = msSince(start);
    const auto saveStart = Clock::now();
    const bool ok = book->save(path);
    const double saveMs = msSince(saveStart);
    if (!ok)
        std::fprintf(stderr, "save failed: %s\n", book->errorMessage().c_str());
    book->release();
    const double totalMs = msSince(start);

    struct stat st {};
    const long long bytes = ::stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : -1;
    ::unlink(path.c_str());
    std::printf("rows %d x columns %d: fill %.1f ms, save %.1f ms, total %.1f ms, file %lld bytes, peak RSS %ld KiB\n",
                rows, kItems + 1, fillMs, saveMs, totalMs, bytes, peakKiB());
    return ok ? 0 : 1;
}
