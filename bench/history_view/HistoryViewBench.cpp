// The history view on the large demo group (one year of 1-minute rows,
// 8 items): the bare history query, then the view's query until table and
// curves are ready, the curves shown, and the export of 65 536 rows and of
// the whole result. Prints times and peak memory.
//
//   demo/load-demo.sh --large            (once)
//   xvfb-run -a bench_history_view [--db quor] [--rounds 3]
// Server from QUORVEL_DB_HOST/PORT/USER/PASSWORD (.run/services.env).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <soci/soci.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/frame.h>
#include <wx/init.h>
#include <wx/sizer.h>

#include "db/ConnectionPool.h"
#include "db/EMDevice.h"
#include "db/EMDeviceData.h"
#include "db/EMDeviceGroup.h"
#include "db/EMDeviceGroupItem.h"
#include "db/EMUserDevice.h"
#include "app/TextCodec.h"
#include "ui/ResultList.h"
#include "ui/SheetExport.h"
#include "ui/TimePickerText.h"
#include "ui/ViewHistory.h"

namespace {

using Clock = std::chrono::steady_clock;
const char* const kLargeTable = "data_dev03_minute";

std::string env(const char* name)
{
    const char* v = std::getenv(name);
    if (!v || !*v)
        throw std::runtime_error(std::string(name) + " is not set (source .run/services.env)");
    return v;
}

double ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

long peakKb()
{
    FILE* f = std::fopen("/proc/self/status", "r");
    char line[256];
    long kb = -1;
    while (f && std::fgets(line, sizeof line, f))
        if (std::strncmp(line, "VmHWM:", 6) == 0)
            kb = std::strtol(line + 6, nullptr, 10);
    if (f)
        std::fclose(f);
    return kb;
}

void pumpUntil(const std::function<bool()>& done)
{
    while (!done()) {
        wxTheApp->Yield(true);
        wxTheApp->ProcessPendingEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
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

}  // namespace

int main(int argc, char** argv)
{
    std::string db = "quor";
    int rounds = 3;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--db") == 0)
            db = argv[i + 1];
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
            if (g->c4 == kLargeTable)
                group = g;
        if (!group)
            throw std::runtime_error("no large group in " + db + ": run demo/load-demo.sh --large");
        std::string userId;
        for (const EMUserDevice* ud : EMUserDevice::all())
            if (ud->device == group->device)
                userId = ud->user;
        if (userId.empty())
            throw std::runtime_error("no user holds the large group's device");

        std::time_t first = 0, last = 0;
        {
            soci::session sql(g_connectionPool);
            std::tm lo{}, hi{};
            sql << std::string("select min(DataTime), max(DataTime) from ") + kLargeTable, soci::into(lo),
                soci::into(hi);
            lo.tm_isdst = hi.tm_isdst = -1;
            first = std::mktime(&lo);
            last = std::mktime(&hi);
        }

        // The bare query, as the database layer's own benchmark runs it.
        std::vector<double> bare;
        size_t rowCount = 0;
        for (int r = 0; r < rounds; ++r) {
            EMDeviceData data(group);
            const auto t0 = Clock::now();
            DataRows rows = data.queryHistory(first, last);
            bare.push_back(ms(t0, Clock::now()));
            rowCount = rows.size();
        }
        const long peakAfterBare = peakKb();

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
        // Pick the large group's device and the group itself.
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

        std::vector<double> ready, queryPart, fillPart;
        for (int r = 0; r < rounds; ++r) {
            const auto t0 = Clock::now();
            view->RunQuery();
            pumpUntil([&] { return !view->IsQueryRunning(); });
            view->Update();  // table painted
            ready.push_back(ms(t0, Clock::now()));
            queryPart.push_back(view->GetLastQueryMs());
            fillPart.push_back(view->GetLastFillMs());
        }
        const auto c0 = Clock::now();
        view->ShowCurves();
        frame->Update();
        wxTheApp->Yield(true);
        const double curvesShown = ms(c0, Clock::now());
        const size_t shown = static_cast<size_t>(view->GetResultList()->GetItemCount());

        // Export: the view's export path without its dialogs.
        std::vector<std::string> names;
        for (EMDeviceGroupItem* item : EMDeviceGroupItem::getByGroup(group->id))
            names.push_back(gbkToUtf8(item->c4));
        const DataRows& all = view->GetResult();
        const DataRows sheetFull(all.begin(), all.begin() + std::min<size_t>(all.size(), 65535));
        const std::string small = "/tmp/bench_history_view_" + std::to_string(getpid()) + "_65536.xls";
        const std::string large = "/tmp/bench_history_view_" + std::to_string(getpid()) + "_all.xls";
        auto e0 = Clock::now();
        auto smallResult = quorvel::ui::exportRowsToXls(small, names, sheetFull);
        const double exportSmall = ms(e0, Clock::now());
        e0 = Clock::now();
        auto largeResult = quorvel::ui::exportRowsToXls(large, names, all);
        const double exportLarge = ms(e0, Clock::now());
        const long long smallBytes = fileSize(small), largeBytes = fileSize(large);
        ::unlink(small.c_str());
        ::unlink(large.c_str());

        std::printf("rows %zu (shown in the table: %zu), items %zu\n", rowCount, shown, names.size());
        std::printf("bare query (EMDeviceData::queryHistory): median %.0f ms\n", median(bare));
        std::printf("view: query to table and curves ready: median %.0f ms (worker query + plot input %.0f ms, "
                    "table/plot fill on the UI thread %.0f ms); ratio to the bare query %.2f (target <= 2)\n",
                    median(ready), median(queryPart), median(fillPart), median(ready) / median(bare));
        std::printf("curves shown (InitPlots and first paint): %.0f ms\n", curvesShown);
        std::printf("export 65536 rows (header + 65535): %.0f ms, %lld bytes, %s (target < 1000 ms)\n", exportSmall,
                    smallBytes, smallResult.status == quorvel::ui::SheetExportResult::Saved ? "saved" : "FAILED");
        std::printf("export all %zu rows: %.0f ms over %d sheets, %lld bytes, %s\n", all.size(), exportLarge,
                    largeResult.sheets, largeBytes,
                    largeResult.status == quorvel::ui::SheetExportResult::Saved ? "saved" : "FAILED");
        std::printf("peak RSS: %ld kB after the bare queries, %ld kB at the end\n", peakAfterBare, peakKb());

        frame->Destroy();
        wxTheApp->Yield(true);
        wxEventLoopBase::SetActive(nullptr);
        delete loop;
        wxEntryCleanup();
        closeDatabase();
        const bool met = median(ready) / median(bare) <= 2.0 && exportSmall < 1000;
        return met ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "history_view: %s\n", e.what());
        return 2;
    }
}
