// The history view on a large demo group (1-minute rows, 8 items): the bare
// history query, then the view's query until table and curves are ready,
// the curves shown, and the exports (CSV of the whole result against the
// mariadb client writing the same rows, .xls of one full sheet). Prints
// sizes, times, the longest stall of the UI thread and peak memory, each
// against its target.
//
//   demo/load-demo.sh --large                      (one year, once)
//   bench/history_view/load-ten-years.sh           (ten years, once)
//   xvfb-run -a bench_history_view [--db quor] [--table data_dev03_minute] [--rounds 3]
//   xvfb-run -a bench_history_view --table data_dev03_minute10y --rounds 1
// Server from QUORVEL_DB_HOST/PORT/USER/PASSWORD (.run/services.env).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <time.h>
#include <unistd.h>
#include <vector>

#include <soci/soci.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/frame.h>
#include <wx/init.h>
#include <wx/sizer.h>

#include "app/TextCodec.h"
#include "db/ConnectionPool.h"
#include "db/ConnectionString.h"
#include "db/Database.h"
#include "db/EMDevice.h"
#include "db/EMDeviceData.h"
#include "db/EMDeviceGroup.h"
#include "db/EMDeviceGroupItem.h"
#include "db/EMUserDevice.h"
#include "db/MysqlResultStream.h"
#include "db/ResultStore.h"
#include "ui/model/CsvExport.h"
#include "ui/ResultList.h"
#include "ui/model/SheetExport.h"
#include "ui/TimePickerText.h"
#include "ui/ViewHistory.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string env(const char* name)
{
    const char* v = std::getenv(name);
    if (!v || !*v)
        throw std::runtime_error(std::string(name) + " is not set (source .run/services.env)");
    return v;
}

double ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

// CPU time of the calling thread (ms): what a stall costs the UI thread
// itself, apart from waiting for a core on a loaded machine.
double threadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

struct Stall {
    double wall = 0, cpu = 0;
    void take(double w, double c)
    {
        wall = std::max(wall, w);
        cpu = std::max(cpu, c);
    }
};

long statusKb(const char* key)
{
    FILE* f = std::fopen("/proc/self/status", "r");
    char line[256];
    long kb = -1;
    const std::size_t n = std::strlen(key);
    while (f && std::fgets(line, sizeof line, f))
        if (std::strncmp(line, key, n) == 0)
            kb = std::strtol(line + n, nullptr, 10);
    if (f)
        std::fclose(f);
    return kb;
}
long peakKb() { return statusKb("VmHWM:"); }
long rssKb() { return statusKb("VmRSS:"); }
// Starts a new peak from the current size (Linux: "5" to clear_refs).
void resetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

// Pumps events until done; returns the longest single pass (ms), the time
// the UI thread could not answer, in wall and in thread CPU time.
Stall pumpUntil(const std::function<bool()>& done, const std::function<void()>& eachPass = {})
{
    Stall longest;
    while (!done()) {
        const auto t0 = Clock::now();
        const double c0 = threadCpuMs();
        wxTheApp->Yield(true);
        wxTheApp->ProcessPendingEvents();
        longest.take(ms(t0, Clock::now()), threadCpuMs() - c0);
        if (eachPass)
            eachPass();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return longest;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

long long fileSize(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : -1;
}

// The first rows of a result, for one full .xls sheet.
class FirstRows final : public quorvel::ui::ExportCells {
public:
    FirstRows(const ExportCells& all, std::size_t count) : all_(all), count_(std::min(count, all.rowCount())) {}
    std::size_t rowCount() const override { return count_; }
    std::size_t cellCount(std::size_t r) const override { return all_.cellCount(r); }
    int cellType(std::size_t r, std::size_t c) const override { return all_.cellType(r, c); }
    void cellText(std::size_t r, std::size_t c, std::string& out) const override { all_.cellText(r, c, out); }
    double cellNumber(std::size_t r, std::size_t c) const override { return all_.cellNumber(r, c); }

private:
    const ExportCells& all_;
    std::size_t count_;
};

const char* verdict(bool met) { return met ? "met" : "NOT MET"; }

}  // namespace

int main(int argc, char** argv)
{
    std::string db = "quor", table = "data_dev03_minute";
    int rounds = 3;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--db") == 0)
            db = argv[i + 1];
        else if (std::strcmp(argv[i], "--table") == 0)
            table = argv[i + 1];
        else if (std::strcmp(argv[i], "--rounds") == 0)
            rounds = std::max(1, std::atoi(argv[i + 1]));
    }
    try {
        const std::string connection = buildConnectionString(
            env("QUORVEL_DB_HOST"), static_cast<std::uint16_t>(std::stoi(env("QUORVEL_DB_PORT"))), db,
            env("QUORVEL_DB_USER"), env("QUORVEL_DB_PASSWORD"));
        if (!openDatabase(connection))
            throw std::runtime_error("cannot open database " + db);
        EMDeviceGroup* group = nullptr;
        for (auto& [id, g] : EMDeviceGroup::all())
            if (g->c4 == table)
                group = g;
        if (!group)
            throw std::runtime_error("no group of table " + table + " in " + db
                                     + ": run demo/load-demo.sh --large (and load-ten-years.sh)");
        std::string userId;
        for (const EMUserDevice* ud : EMUserDevice::all())
            if (ud->device == group->device)
                userId = ud->user;
        if (userId.empty())
            throw std::runtime_error("no user holds the group's device");

        std::time_t first = 0, last = 0;
        {
            soci::session sql(g_connectionPool);
            std::tm lo{}, hi{};
            sql << "select min(DataTime), max(DataTime) from " + table, soci::into(lo), soci::into(hi);
            lo.tm_isdst = hi.tm_isdst = -1;
            first = std::mktime(&lo);
            last = std::mktime(&hi);
        }
        EMDeviceData statementMaker(group);
        const std::string statement = statementMaker.buildHistoryStatement(first, last);

        // The rows only crossing the wire: the floor of any query.
        std::vector<double> transfer;
        for (int r = 0; r < rounds; ++r) {
            soci::session sql(g_connectionPool);
            MysqlResultStream result;
            const auto t0 = Clock::now();
            result.start(sql, statement);
            std::size_t n = 0;
            while (result.next())
                ++n;
            transfer.push_back(ms(t0, Clock::now()));
        }

        int wxArgc = 1;
        char name[] = "bench_history_view";
        char* wxArgv[] = {name, nullptr};
        wxApp::SetInstance(new wxApp);
        if (!wxEntryStart(wxArgc, wxArgv))
            throw std::runtime_error("no display (run under xvfb-run)");
        wxTheApp->SetExitOnFrameDelete(false);
        auto* loop = new wxEventLoop;
        wxEventLoopBase::SetActive(loop);
        auto* frame = new wxFrame(nullptr, wxID_ANY, "bench", wxDefaultPosition, wxSize(1240, 860));
        auto* view = new CViewHistory(frame, wxID_ANY, ViewContext{userId, ""});
        auto* sizer = new wxBoxSizer(wxVERTICAL);
        sizer->Add(view, 1, wxEXPAND);
        frame->SetSizer(sizer);
        frame->Show();
        frame->Layout();
        view->InitialUpdate();
        const auto devices = EMUserDevice::getDevicesByUser(userId);
        for (size_t i = 0; i < devices.size(); ++i)
            if (devices[i]->id == group->device)
                view->SelectDevice(static_cast<int>(i));
        const auto groups = EMDeviceGroup::getByDevice(group->device);
        for (size_t i = 0; i < groups.size(); ++i)
            if (groups[i] == group)
                view->SelectGroup(static_cast<int>(i));
        view->GetStartPicker()->SetTime(first);
        view->GetEndPicker()->SetTime(last);
        pumpUntil([] { return true; });

        // The view's query: first rows on screen, everything ready, the
        // longest pass of the event loop meanwhile, memory above what the
        // process held before.
        std::vector<double> firstShown, ready, queryPart, fillPart;
        Stall queryStall;
        long peakGrowthKb = 0;
        for (int r = 0; r < rounds; ++r) {
            const long before = rssKb();
            resetPeak();
            const auto t0 = Clock::now();
            double shownAt = -1;
            view->RunQuery();
            const Stall s = pumpUntil([&] { return !view->IsQueryRunning(); }, [&] {
                if (shownAt < 0 && view->GetResultList()->GetItemCount() > 0) {
                    view->GetResultList()->Update();
                    shownAt = ms(t0, Clock::now());
                }
            });
            queryStall.take(s.wall, s.cpu);
            const auto u0 = Clock::now();
            const double uc0 = threadCpuMs();
            view->Update();  // table painted
            queryStall.take(ms(u0, Clock::now()), threadCpuMs() - uc0);
            ready.push_back(ms(t0, Clock::now()));
            firstShown.push_back(shownAt < 0 ? ready.back() : shownAt);
            queryPart.push_back(view->GetLastQueryMs());
            fillPart.push_back(view->GetLastFillMs());
            peakGrowthKb = std::max(peakGrowthKb, peakKb() - before);
        }
        const ResultStore& store = *view->GetResult();
        const std::size_t rowCount = store.size();
        const double storeBytes = static_cast<double>(store.bytes());

        const auto c0 = Clock::now();
        const double cc0 = threadCpuMs();
        view->ShowCurves();
        frame->Update();
        wxTheApp->Yield(true);
        const Stall curvesShown{ms(c0, Clock::now()), threadCpuMs() - cc0};
        const size_t shown = static_cast<size_t>(view->GetResultList()->GetItemCount());

        // CSV of the whole result, as the view writes it (the progress
        // callback is where the view's progress dialog lets events through).
        std::vector<std::string> names;
        for (EMDeviceGroupItem* item : EMDeviceGroupItem::getByGroup(group->id))
            names.push_back(gbkToUtf8(item->c4));
        const std::string stem = "/tmp/bench_history_view_" + std::to_string(getpid());
        const quorvel::ui::StoreCells cells(store);
        Stall exportGap;
        auto lastCall = Clock::now();
        double lastCpu = threadCpuMs();
        auto e0 = Clock::now();
        const auto csvResult = quorvel::ui::exportCellsToCsv(stem + ".csv", names, cells, [&](size_t, size_t) {
            const auto now = Clock::now();
            const double cpu = threadCpuMs();
            exportGap.take(ms(lastCall, now), cpu - lastCpu);
            lastCall = now;
            lastCpu = cpu;
            return true;
        });
        const double exportCsv = ms(e0, Clock::now());
        const long long csvBytes = fileSize(stem + ".csv");

        // The same rows written by the mariadb client.
        const std::string batchFile = stem + ".tsv";
        const std::string command = "mariadb --no-defaults --batch -h " + env("QUORVEL_DB_HOST") + " -P "
                                    + env("QUORVEL_DB_PORT") + " -u " + env("QUORVEL_DB_USER") + " -p"
                                    + env("QUORVEL_DB_PASSWORD") + " " + db + " -e \"" + statement + "\" > "
                                    + batchFile;
        e0 = Clock::now();
        const int batchStatus = std::system(command.c_str());
        const double exportBatch = ms(e0, Clock::now());
        const long long batchBytes = fileSize(batchFile);

        e0 = Clock::now();
        const auto xlsResult =
            quorvel::ui::exportCellsToXls(stem + ".xls", names, FirstRows(cells, quorvel::ui::kRowsPerSheet));
        const double exportSheet = ms(e0, Clock::now());
        const long long xlsBytes = fileSize(stem + ".xls");
        for (const char* ext : {".csv", ".tsv", ".xls"})
            ::unlink((stem + ext).c_str());
        const long peakView = peakKb();

        frame->Destroy();
        wxTheApp->Yield(true);

        // Last, as it holds the most: the text-form query (EMDeviceData::
        // queryHistory), the bare query the view is measured against.
        std::vector<double> bare;
        long textGrowthKb = 0;
        for (int r = 0; r < rounds; ++r) {
            EMDeviceData data(group);
            const long before = rssKb();
            resetPeak();
            const auto t0 = Clock::now();
            DataRows rows = data.queryHistory(first, last);
            bare.push_back(ms(t0, Clock::now()));
            textGrowthKb = std::max(textGrowthKb, peakKb() - before);
        }

        const double rows = static_cast<double>(rowCount);
        std::printf("table %s: rows %zu (shown in the table: %zu), items %zu\n", table.c_str(), rowCount, shown,
                    names.size());
        std::printf("rows over the wire only (MysqlResultStream): median %.0f ms\n", median(transfer));
        std::printf("bare query, text form (EMDeviceData::queryHistory): median %.0f ms, %.0f bytes per row\n",
                    median(bare), textGrowthKb * 1024.0 / rows);
        std::printf("store: %.1f bytes per row (target <= 100: %s), %.1f MB\n", storeBytes / rows,
                    verdict(storeBytes / rows <= 100), storeBytes / 1e6);
        std::printf("peak RSS growth during the view's query: %.1f MB, %.2fx the result (target <= 1.5: %s)\n",
                    peakGrowthKb / 1024.0, peakGrowthKb * 1024.0 / storeBytes,
                    verdict(peakGrowthKb * 1024.0 / storeBytes <= 1.5));
        std::printf("view: first rows shown median %.0f ms, everything ready median %.0f ms (worker %.0f ms, "
                    "fill on the UI thread %.1f ms); ratio to the bare query %.2f / %.2f (target <= 1.2: %s)\n",
                    median(firstShown), median(ready), median(queryPart), median(fillPart),
                    median(firstShown) / median(bare), median(ready) / median(bare),
                    verdict(median(ready) / median(bare) <= 1.2));
        const double longestWall = std::max({queryStall.wall, curvesShown.wall, exportGap.wall});
        const double longestCpu = std::max({queryStall.cpu, curvesShown.cpu, exportGap.cpu});
        std::printf("UI thread, wall (thread CPU) ms: longest event-loop pass during the query %.1f (%.1f), "
                    "curves shown %.1f (%.1f), longest export step %.1f (%.1f); longest %.1f (%.1f) "
                    "(target <= 100: %s by wall, %s by CPU)\n",
                    queryStall.wall, queryStall.cpu, curvesShown.wall, curvesShown.cpu, exportGap.wall,
                    exportGap.cpu, longestWall, longestCpu, verdict(longestWall <= 100), verdict(longestCpu <= 100));
        std::printf("export CSV of all rows: %.0f ms, %lld bytes, %s; mariadb --batch into a file: %.0f ms, "
                    "%lld bytes (exit %d); ratio %.2f (target <= 1.5: %s)\n",
                    exportCsv, csvBytes, csvResult.status == quorvel::ui::SheetExportResult::Saved ? "saved" : "FAILED",
                    exportBatch, batchBytes, batchStatus, exportCsv / exportBatch,
                    verdict(exportCsv / exportBatch <= 1.5));
        std::printf("export .xls of one full sheet (65535 rows): %.0f ms, %lld bytes, %s\n", exportSheet, xlsBytes,
                    xlsResult.status == quorvel::ui::SheetExportResult::Saved ? "saved" : "FAILED");
        std::printf("peak RSS of the process: %ld kB by the end of the view's part\n", peakView);
        double load[3] = {0, 0, 0};
        if (getloadavg(load, 3) > 0)
            std::printf("machine load average (1 min): %.1f on %ld cores\n", load[0], sysconf(_SC_NPROCESSORS_ONLN));

        wxEventLoopBase::SetActive(nullptr);
        delete loop;
        wxEntryCleanup();
        closeDatabase();
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "history_view: %s\n", e.what());
        return 2;
    }
}
