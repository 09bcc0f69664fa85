// Fault-injection soak of the live path. The client's own main frame (first
// view: the realtime lamps), its MQTT client with the program's message
// handler and fault-lookup worker, the database pool through an in-process
// relay in front of the real MariaDB; the broker is restarted by a command
// every 20 s and the database is black-holed for 15 s or has its
// connections dropped (as a restart does) every 45 s. A separate MQTT client
// learns the truth from the gateways' own messages.
//
//   bench_soak --minutes M --user LOGIN --broker-restart CMD [--report FILE]
// Server addresses from QUORVEL_DB_* / QUORVEL_MQTT_* and --db NAME.
// Prints: lamp convergence after each fault (p50/p99), RSS at start, after
// 1 minute and at the end, the event loop's worst delay.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>
#include <wx/app.h>
#include <wx/timer.h>

#include "SoakTruth.h"
#include "app/ClientShutdown.h"
#include "app/Config.h"
#include "app/Globals.h"
#include "db/ConnectionString.h"
#include "db/Database.h"
#include "db/EMDevice.h"
#include "db/EMPassageway.h"
#include "db/EMUser.h"
#include "db/EMUserDevice.h"
#include "db/SessionTimeouts.h"
#include "mqtt/ChannelSubscriptions.h"
#include "mqtt/FaultLookupWorker.h"
#include "mqtt/TransDataHandler.h"
#include "quillet/MqttClient.h"
#include "quorvel_test/TcpForwarder.h"
#include "ui/MainFrame.h"
#include "ui/ViewRealtime.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string env(const char* name, const char* fallback = "") {
    const char* v = std::getenv(name);
    return v ? v : fallback;
}

long rssKb() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

double percentile(std::vector<double> v, double p) {
    if (v.empty()) return -1;
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, static_cast<size_t>(p * (v.size() - 1) + 0.5));
    return v[i];
}

struct Options {
    int minutes = 10;
    std::string user = "admin";
    std::string db = "quor";
    std::string brokerRestart;
    std::string report;
};

class SoakApp : public wxApp {
public:
    Options opt;

    bool OnInit() override {
        initModuleDir();
        Config::getInstance()->loadAll();
        relay_ = std::make_unique<TcpForwarder>(env("QUORVEL_DB_HOST", "127.0.0.1"), std::stoi(env("QUORVEL_DB_PORT", "3306")));
        relay_->start();
        const std::string connection = withSessionTimeouts(
            buildConnectionString("127.0.0.1", static_cast<std::uint16_t>(relay_->port()), opt.db, env("QUORVEL_DB_USER"),
                                  env("QUORVEL_DB_PASSWORD")),
            {.connectSeconds = 3, .readSeconds = 10, .writeSeconds = 10});
        if (!openDatabase(connection)) {
            std::fprintf(stderr, "soak: database not reachable\n");
            return false;
        }
        EMUser* user = EMUser::getByLoginName(opt.user);
        if (!user) {
            std::fprintf(stderr, "soak: no user %s\n", opt.user.c_str());
            return false;
        }
        for (const EMDevice* device : EMUserDevice::getDevicesByUser(user->id)) {
            if (!device) continue;
            if (const EMPassageway* channel = EMPassageway::getById(device->passageway)) itemChannels_.push_back(channel->id);
        }
        const std::string host = env("QUORVEL_MQTT_HOST", "127.0.0.1");
        const int port = std::stoi(env("QUORVEL_MQTT_PORT", "1883"));
        truth_ = std::make_unique<SoakTruth>(host, port, env("QUORVEL_MQTT_USER"), env("QUORVEL_MQTT_PASSWORD"));

        frame_ = new CMainFrame(ViewContext{user->id, user->role});
        frame_->SetSize(0, 40, 1280, 984);
        frame_->Show();
        view_ = dynamic_cast<CViewRealtime*>(frame_->GetView(0));
        handler_ = new TransDataHandler;
        client_ = MqttClient::create(handler_, (host + ":" + std::to_string(port)).c_str());
        client_->connect(env("QUORVEL_MQTT_USER").c_str(), env("QUORVEL_MQTT_PASSWORD").c_str());
        frame_->SetMqttClient(client_);
        subscribeUserChannels(*client_, user->id);

        start_ = Clock::now();
        lastTick_ = start_;
        rssStart_ = rssKb();
        tick_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { OnTick(); });
        tick_.Start(20);
        std::printf("soak: %zu lamps, %d minutes\n", itemChannels_.size(), opt.minutes);
        std::fflush(stdout);
        return true;
    }

    int OnExit() override {
        if (restartThread_.joinable()) restartThread_.join();  // it touches this object
        // As the program's exit does it.
        shutDownLiveDataAndDatabase(client_, handler_);
        truthMessages_ = truth_->messages();
        truth_.reset();
        relay_->stop();
        Report();
        return 0;
    }

private:
    struct Pending {
        std::string kind;
        Clock::time_point end;
    };

    double Seconds(Clock::time_point t) const { return std::chrono::duration<double>(t - start_).count(); }

    void OnTick() {
        const auto now = Clock::now();
        const long gap = static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(now - lastTick_).count()) - 20;
        lastTick_ = now;
        const double t = Seconds(now);
        worstLoop_ = std::max(worstLoop_, gap);
        if (t > 60) worstLoopAfterWarmup_ = std::max(worstLoopAfterWarmup_, gap);
        if (!rss1min_ && t >= 60) rss1min_ = rssKb();

        Schedule(t, now);
        if (++tickCount_ % 5 == 0) Compare(now);  // every 100 ms
        if (t >= opt.minutes * 60.0) {
            tick_.Stop();
            rssEnd_ = rssKb();
            backlogEnd_ = FaultLookupWorker::instance().backlog();
            lookups_ = FaultLookupWorker::instance().counts();
            frame_->Destroy();
            ExitMainLoop();
        }
    }

    void Schedule(double t, Clock::time_point now) {
        // The broker: restarted every 20 s by the script's command, off this thread.
        const int brokerSlot = static_cast<int>(t / 20);
        if (brokerSlot > brokerSlots_ && !opt.brokerRestart.empty() && !restarting_) {
            brokerSlots_ = brokerSlot;
            restarting_ = true;
            if (restartThread_.joinable()) restartThread_.join();  // finished: restarting_ was clear
            restartThread_ = std::thread([this] {
                const int rc = std::system(opt.brokerRestart.c_str());
                if (rc != 0) std::fprintf(stderr, "soak: broker restart command failed (%d)\n", rc);
                restartDone_ = true;
            });
        }
        if (restartDone_.exchange(false)) {
            restarting_ = false;
            ++brokerRestarts_;
            pending_.push_back({"broker", now});
        }
        // The database: every 45 s, black-holed for 15 s or its connections dropped.
        const int dbSlot = static_cast<int>(t / 45);
        if (dbSlot > dbSlots_) {
            dbSlots_ = dbSlot;
            if (dbSlot % 2 == 1) {
                relay_->blackHole();
                blackHoleEnds_ = t + 15;
            } else {
                relay_->dropConnections();
                ++dbResets_;
                pending_.push_back({"db-reset", now});
            }
        }
        if (blackHoleEnds_ && t >= *blackHoleEnds_) {
            blackHoleEnds_.reset();
            relay_->pass();
            ++dbBlackHoles_;
            pending_.push_back({"db-blackhole", now});
        }
    }

    void Compare(Clock::time_point now) {
        if (!view_) return;
        const auto truth = truth_->snapshot();
        int mismatches = 0;
        for (size_t i = 0; i < itemChannels_.size(); ++i) {
            auto it = truth.find(itemChannels_[i]);
            if (it == truth.end()) continue;  // not heard of yet
            const int expected = it->second ? CViewRealtime::kGreenLamp : CViewRealtime::kRedLamp;
            if (view_->GetItemLamp(static_cast<int>(i)) != expected) ++mismatches;
        }
        lastMismatches_ = mismatches;
        // A lamp set is converged only with the link up: before that, client
        // and observer may agree merely because neither hears anything.
        if (!client_->isConnected()) return;
        for (auto it = pending_.begin(); it != pending_.end();) {
            const double since = std::chrono::duration<double>(now - it->end).count();
            if (mismatches == 0) {
                converge_[it->kind].push_back(since);
                it = pending_.erase(it);
            } else if (since > 60) {
                ++notConverged_[it->kind];
                it = pending_.erase(it);
            } else {
                ++it;
            }
        }
    }

    void Report() {
        std::ostringstream out;
        out << "soak report\n";
        out << "  duration_min " << opt.minutes << ", lamps " << itemChannels_.size() << ", gateway messages seen "
            << truthMessages_ << "\n";
        out << "  faults: broker restarts " << brokerRestarts_ << ", database black-holes " << dbBlackHoles_
            << ", database connection drops " << dbResets_ << "\n";
        std::vector<double> all;
        for (const auto& [kind, v] : converge_) {
            all.insert(all.end(), v.begin(), v.end());
            out << "  converge[" << kind << "] n=" << v.size() << " p50=" << percentile(v, 0.5)
                << " s p99=" << percentile(v, 0.99) << " s max=" << percentile(v, 1.0) << " s not_converged_60s="
                << notConverged_[kind] << "\n";
        }
        out << "  converge[all] n=" << all.size() << " p50=" << percentile(all, 0.5) << " s p99=" << percentile(all, 0.99)
            << " s\n";
        out << "  rss_kb start=" << rssStart_ << " after_1min=" << rss1min_.value_or(-1) << " end=" << rssEnd_ << "\n";
        out << "  event_loop_worst_delay_ms all=" << worstLoop_ << " after_warmup=" << worstLoopAfterWarmup_ << "\n";
        out << "  mismatched_lamps_at_end " << lastMismatches_ << ", lookup_backlog_at_end " << backlogEnd_ << "\n";
        out << "  fault lookups: found " << lookups_.found << ", no row " << lookups_.none << ", failed " << lookups_.failed
            << "\n";
        std::fputs(out.str().c_str(), stdout);
        std::fflush(stdout);
        if (!opt.report.empty()) std::ofstream(opt.report) << out.str();
    }

    std::unique_ptr<TcpForwarder> relay_;
    std::unique_ptr<SoakTruth> truth_;
    TransDataHandler* handler_ = nullptr;
    MqttClient* client_ = nullptr;
    CMainFrame* frame_ = nullptr;
    CViewRealtime* view_ = nullptr;
    std::vector<std::string> itemChannels_;
    wxTimer tick_;
    Clock::time_point start_, lastTick_;
    long tickCount_ = 0;
    long worstLoop_ = 0, worstLoopAfterWarmup_ = 0;
    long rssStart_ = 0, rssEnd_ = 0;
    std::optional<long> rss1min_;
    std::size_t backlogEnd_ = 0;
    int brokerSlots_ = 0, dbSlots_ = 0;
    std::atomic<bool> restarting_{false}, restartDone_{false};
    std::thread restartThread_;
    std::optional<double> blackHoleEnds_;
    int brokerRestarts_ = 0, dbBlackHoles_ = 0, dbResets_ = 0;
    std::vector<Pending> pending_;
    std::map<std::string, std::vector<double>> converge_;
    std::map<std::string, int> notConverged_;
    int lastMismatches_ = -1;
    long long truthMessages_ = 0;
    FaultLookupWorker::Counts lookups_;
};

}  // namespace

wxIMPLEMENT_APP_NO_MAIN(SoakApp);

int main(int argc, char** argv) {
    Options opt;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        const std::string v = argv[i + 1];
        if (a == "--minutes") opt.minutes = std::stoi(v);
        else if (a == "--user") opt.user = v;
        else if (a == "--db") opt.db = v;
        else if (a == "--broker-restart") opt.brokerRestart = v;
        else if (a == "--report") opt.report = v;
        else {
            std::fprintf(stderr, "usage: bench_soak --minutes M --user LOGIN --db NAME --broker-restart CMD [--report FILE]\n");
            return 2;
        }
    }
    auto* app = new SoakApp;
    app->opt = opt;
    wxApp::SetInstance(app);
    int wxArgc = 1;
    return wxEntry(wxArgc, argv);
}
