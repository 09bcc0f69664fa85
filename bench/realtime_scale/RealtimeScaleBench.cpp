// The client at site scale, as the program runs it, minus the login dialog's
// own window: the login (pool, record caches, user check), the main frame
// with all its views, the MQTT client subscribed to the user's channels, until
// the realtime view has placed every lamp. Then the gateway simulator sends
// CommStatus messages at a steady rate through the real broker while a probe
// measures how long the UI thread's event loop takes to get to a queued call;
// afterwards every lamp is compared with the simulator's last state. With
// --flood, oversized and then many large transup messages are published on the
// debug view's channel by mosquitto_pub, and memory and loop delay are watched.
//
//   quorvel_datagen --load --db quor_site --devices 5000 --days 2   (once; the
//       database must hold demo/schema.sql first)
//   xvfb-run -a bench_realtime_scale [--db quor_site] [--user admin --password admin123]
//       [--rate 1000] [--seconds 60] [--flood] [--flood-big 5x200] [--flood-small 100000x64]
// Servers from QUORVEL_DB_* and QUORVEL_MQTT_* (.run/services.env).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <map>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <wx/app.h>
#include <wx/display.h>
#include <wx/evtloop.h>
#include <wx/init.h>
#include <wx/timer.h>

#include "LoopProbe.h"
#include "db/ConnectionPool.h"
#include "db/ConnectionString.h"
#include "db/Database.h"
#include "db/EMPassageway.h"
#include "db/EMRealDataCommunication.h"
#include "db/EMUser.h"
#include "db/LoginLogic.h"
#include "mqtt/ChannelSubscriptions.h"
#include "mqtt/TransDataHandler.h"
#include "quillet/MqttClient.h"
#include "mqtt/BrokerLink.h"
#include "app/ConfigWorkParam.h"
#include "ui/MainFrame.h"
#include "ui/ViewDebug.h"
#include "ui/ViewRealtime.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

std::string env(const char* name) {
    const char* v = std::getenv(name);
    if (!v || !*v) throw std::runtime_error(std::string(name) + " is not set (source .run/services.env)");
    return v;
}

double ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

// Runs the UI event loop until `done` holds or `timeoutMs` has passed; true
// when `done` held.
bool runUntil(const std::function<bool()>& done, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    if (done()) return true;
    wxGUIEventLoop loop;
    wxTimer timer;
    bool met = false;
    timer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        met = done();
        if (met || Clock::now() >= deadline) loop.Exit();
    });
    timer.Start(5);
    loop.Run();
    timer.Stop();
    return met;
}

pid_t spawn(const std::vector<std::string>& args, const std::string& outputFile) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    if (pid < 0) throw std::runtime_error("cannot start " + args[0]);
    return pid;
}

bool exited(pid_t pid, int& status) { return waitpid(pid, &status, WNOHANG) == pid; }

std::pair<long, long> parsePair(const char* text) {  // "5x200"
    long a = 0, b = 0;
    if (std::sscanf(text, "%ldx%ld", &a, &b) != 2) throw std::runtime_error(std::string("bad NxM: ") + text);
    return {a, b};
}

void printDelays(const char* what, const LoopProbe& probe) {
    const auto d = probe.delays();
    std::printf("%s: UI loop delay p50 %.1f ms, p99 %.1f ms, max %.1f ms over %zu probes (target p99 < 50 ms)\n", what,
                percentile(d, 50), percentile(d, 99), percentile(d, 100), d.size());
}

}  // namespace

int main(int argc, char** argv) {
    std::string db = "quor_site", user = "admin", password = "admin123";
    int rate = 1000, seconds = 60;
    bool flood = false;
    std::string screenshot;  // a PNG of the screen once the lamps are placed
    std::pair<long, long> floodBig{5, 200}, floodSmall{100000, 64};
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> const char* {
            if (i + 1 >= argc) throw std::runtime_error(a + " needs a value");
            return argv[++i];
        };
        if (a == "--db") db = value();
        else if (a == "--user") user = value();
        else if (a == "--password") password = value();
        else if (a == "--rate") rate = std::atoi(value());
        else if (a == "--seconds") seconds = std::atoi(value());
        else if (a == "--flood") flood = true;
        else if (a == "--screenshot") screenshot = value();
        else if (a == "--flood-big") floodBig = parsePair(value());
        else if (a == "--flood-small") floodSmall = parsePair(value());
        else {
            std::fprintf(stderr, "realtime_scale: unknown option %s\n", a.c_str());
            return 2;
        }
    }
    try {
        const std::string connection =
            buildConnectionString(env("QUORVEL_DB_HOST"), static_cast<std::uint16_t>(std::stoi(env("QUORVEL_DB_PORT"))),
                                  db, env("QUORVEL_DB_USER"), env("QUORVEL_DB_PASSWORD"));

        int wxArgc = 1;
        char name[] = "bench_realtime_scale";
        char* wxArgv[] = {name, nullptr};
        wxApp::SetInstance(new wxApp);
        if (!wxEntryStart(wxArgc, wxArgv)) throw std::runtime_error("no display (run under xvfb-run)");
        wxTheApp->SetExitOnFrameDelete(false);
        const long rssBefore = LoopProbe::rssKb();

        // 1. Enter in the login dialog -> main window with every lamp placed.
        const auto t0 = Clock::now();
        LoginLogic logic([&] { return openDatabase(connection); });
        if (logic.logIn(user, password) != LoginStatus::LoggedIn) throw std::runtime_error("login failed for " + user);
        const auto tLogin = Clock::now();
        auto* frame = new CMainFrame(ViewContext{logic.user()->id, logic.user()->role});
        const auto tFrame = Clock::now();
        frame->SetSize(wxGetClientDisplayRect());
        frame->Show(true);
        frame->Update();
        const auto tShown = Clock::now();
        auto* handler = new TransDataHandler;
        // The broker link as the program makes it (size limit included).
        ConfigWorkParam link;
        link.mqttIp = env("QUORVEL_MQTT_HOST");
        link.mqttPort = static_cast<std::uint16_t>(std::stoi(env("QUORVEL_MQTT_PORT")));
        link.mqttUser = env("QUORVEL_MQTT_USER");
        link.mqttPassword = env("QUORVEL_MQTT_PASSWORD");
        MqttClient* client = createBrokerClient(handler, link);
        frame->SetMqttClient(client);
        subscribeUserChannels(*client, logic.user()->id);
        const auto tSubscribed = Clock::now();
        auto* realtime = dynamic_cast<CViewRealtime*>(frame->GetView(0));
        if (!realtime) throw std::runtime_error("no realtime view");
        runUntil([&] { return realtime->IsListBuilt(); }, 600000);
        realtime->Update();
        const auto tLamps = Clock::now();
        const int lamps = realtime->GetList()->GetItemCount();
        std::printf("site: %s, user %s: %d lamps on %zu channels\n", db.c_str(), user.c_str(), lamps,
                    realtime->GetChannels().channelOrder().size());
        std::printf("login to main window with every lamp placed: %.0f ms (target < 2000 ms)\n", ms(t0, tLamps));
        std::printf("  login and record caches %.0f ms, frame and views %.0f ms, shown %.0f ms, MQTT client and "
                    "subscriptions %.0f ms, lamps placed %.0f ms\n",
                    ms(t0, tLogin), ms(tLogin, tFrame), ms(tFrame, tShown), ms(tShown, tSubscribed),
                    ms(tSubscribed, tLamps));
        std::printf("RSS after start-up: %ld kB (%ld kB before the login)\n", LoopProbe::rssKb(), rssBefore);
        std::fflush(stdout);

        if (!screenshot.empty()) {
            runUntil([] { return false; }, 500);
            if (std::system(("import -window root " + screenshot).c_str()) != 0)
                std::fprintf(stderr, "realtime_scale: no screenshot\n");
        }
        if (!runUntil([&] { return client->isConnected(); }, 30000)) throw std::runtime_error("broker not reached");
        runUntil([] { return false; }, 1000);  // subscriptions settle

        // 2. The steady stream.
        int exitCode = 0;
        if (rate > 0 && seconds > 0) {
            const std::string stateFile = "/tmp/bench_realtime_scale_" + std::to_string(getpid()) + ".state";
            const std::string gatewayLog = "/tmp/bench_realtime_scale_" + std::to_string(getpid()) + ".gateway";
            LoopProbe probe;
            const double cpu0 = LoopProbe::cpuSeconds();
            const auto w0 = Clock::now();
            probe.start();
            const pid_t gateway = spawn({QUORVEL_GATEWAY_PATH, "--db-name", db, "--rate", std::to_string(rate),
                                         "--duration-s", std::to_string(seconds), "--state-file", stateFile,
                                         "--seed", "7"},
                                        gatewayLog);
            int status = 0;
            if (!runUntil([&] { return exited(gateway, status); }, (seconds + 300) * 1000)) {
                kill(gateway, SIGKILL);
                waitpid(gateway, &status, 0);
                throw std::runtime_error("gateway did not finish; see " + gatewayLog);
            }
            runUntil([] { return false; }, 3000);  // the tail of the stream
            probe.stop();
            const double cpu = LoopProbe::cpuSeconds() - cpu0;
            const double wall = ms(w0, Clock::now()) / 1000.0;

            std::map<std::string, int> last;
            std::ifstream in(stateFile);
            std::string id;
            int state = 0;
            while (in >> id >> state) last[id] = state;
            int wrong = 0, checked = 0, recordWrong = 0, noRecord = 0;
            const auto& items = realtime->GetChannels().items();
            for (std::size_t i = 0; i < items.size(); ++i) {
                auto it = last.find(items[i].channelId);
                if (it == last.end()) continue;
                ++checked;
                const int expected = it->second == 0 ? CViewRealtime::kRedLamp : CViewRealtime::kGreenLamp;
                if (realtime->GetItemLamp(static_cast<int>(i)) != expected) {
                    ++wrong;
                    // Which side lost it: the fault record (the handler) or the lamp (the view)?
                    const EMRealDataCommunication* record = EMRealDataCommunication::findCached(items[i].channelId);
                    if (!record && ++noRecord <= 8) std::printf("  no record: channel %s (last state %d)\n", items[i].channelId.c_str(), it->second);
                    else if (record->relieveFlag.load() != it->second) ++recordWrong;
                }
            }
            std::string sent;
            std::ifstream log(gatewayLog);
            for (std::string line; std::getline(log, line);)
                if (line.find("state messages sent") != std::string::npos || line.find("flapping at") != std::string::npos)
                    sent += "  " + line + "\n";
            std::printf("stream: %d CommStatus/s for %d s through the broker\n%s", rate, seconds, sent.c_str());
            printDelays("stream", probe);
            std::printf("lamps after the stream: %d of %d differ from the simulator's last state (%d without a "
                        "cached fault record, %d whose record holds another state)\n",
                        wrong, checked, noRecord, recordWrong);
            std::printf("client CPU %.1f s over %.1f s (%.0f %% of one core), RSS peak %ld kB, now %ld kB\n", cpu, wall,
                        100.0 * cpu / wall, probe.peakRssKb(), LoopProbe::rssKb());
            std::fflush(stdout);
            ::unlink(stateFile.c_str());
            ::unlink(gatewayLog.c_str());
            if (wrong != 0 || checked == 0) exitCode = 1;
        }

        // 3. The transup flood on the debug view's channel.
        if (flood) {
            CViewDebug* debug = nullptr;
            for (int i = 0; i < frame->GetViewCount(); ++i)
                if (auto* v = dynamic_cast<CViewDebug*>(frame->GetView(i))) debug = v;
            if (!debug || !debug->GetCurrentChannel()) throw std::runtime_error("no debug view with a channel");
            const std::string topic = debug->GetCurrentChannel()->communication + "/transup";
            const std::string big = "/tmp/bench_realtime_scale_" + std::to_string(getpid()) + ".big";
            const std::string script =
                "set -e; head -c " + std::to_string(floodBig.second) + "M /dev/zero | tr '\\0' x > " + big +
                "; P=\"-h $QUORVEL_MQTT_HOST -p $QUORVEL_MQTT_PORT -u $QUORVEL_MQTT_USER -P $QUORVEL_MQTT_PASSWORD -t " +
                topic + "\"; for i in $(seq " + std::to_string(floodBig.first) +
                "); do mosquitto_pub $P -f " + big + "; done; rm -f " + big +
                "; L=$(head -c " + std::to_string(floodSmall.second * 1024 - 1) +
                " /dev/zero | tr '\\0' y); yes \"$L\" | head -n " + std::to_string(floodSmall.first) +
                " | mosquitto_pub $P -l";
            const long rss0 = LoopProbe::rssKb();
            const std::size_t dropped0 = debug->GetDroppedTransData();
            LoopProbe probe;
            const auto f0 = Clock::now();
            probe.start();
            const std::string floodLog = "/tmp/bench_realtime_scale_" + std::to_string(getpid()) + ".flood";
            const pid_t publisher = spawn({"/bin/sh", "-c", script}, floodLog);
            int status = 0;
            runUntil([&] { return exited(publisher, status); }, 1800000);
            runUntil([] { return false; }, 3000);
            probe.stop();
            std::printf("flood: %ld x %ld MB, then %ld x %ld KB on %s: %.1f s, publisher status %d\n", floodBig.first,
                        floodBig.second, floodSmall.first, floodSmall.second, topic.c_str(),
                        ms(f0, Clock::now()) / 1000.0, WEXITSTATUS(status));
            printDelays("flood", probe);
            std::printf("RSS before the flood %ld kB, sampled peak during it %ld kB (+%ld kB), now %ld kB; "
                        "transup messages dropped by the debug queue: %zu; receive text %zu bytes\n",
                        rss0, probe.peakRssKb(), probe.peakRssKb() - rss0, LoopProbe::rssKb(),
                        debug->GetDroppedTransData() - dropped0, debug->GetReceiveBytes().size());
            ::unlink(floodLog.c_str());
        }
        std::printf("process VmHWM %ld kB\n", LoopProbe::peakHwmKb());

        client->stop();
        frame->Destroy();
        runUntil([] { return false; }, 200);
        delete handler;
        delete client;
        wxEntryCleanup();
        closeDatabase();
        return exitCode;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "realtime_scale: %s\n", e.what());
        return 2;
    }
}
