// The operator's screen while the database vanishes without closing its
// connections (a pulled cable): the program's own frame, MQTT wiring and
// fault-lookup worker, the real MariaDB behind the fault-injection relay and
// the real mosquitto. Lamps of cached channels must keep following the
// broker, the window must keep repainting, the MQTT link must stay up, and
// once the database answers again every lamp must come to the truth.
// Exit during a query on the silent database must not wait for it.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <wx/statusbr.h>
#include <wx/timer.h>

#include "FrameTestSupport.h"
#include "MqttTestSupport.h"
#include "TestDatabase.h"
#include "db/ConnectionPool.h"
#include "db/ConnectionString.h"
#include "db/Database.h"
#include "db/EMRealDataCommunication.h"
#include "db/SessionTimeouts.h"
#include "mqtt/ChannelSubscriptions.h"
#include "mqtt/FaultLookupWorker.h"
#include "mqtt/TransDataHandler.h"
#include "quillet/MqttClient.h"
#include "quorvel_test/TcpForwarder.h"
#include "quorvel_test/WxTestApp.h"
#include "ui/MainFrame.h"
#include "ui/UiText.h"
#include "ui/ViewQueryBase.h"
#include "ui/TimePickerText.h"
#include "ui/ViewRealtime.h"

namespace {

const auto* const kEnv = ::testing::AddGlobalTestEnvironment(new WxTestEnvironment("quorvel_live_nodb_test"));

constexpr int G = CViewRealtime::kGreenLamp;
constexpr int R = CViewRealtime::kRedLamp;
using Clock = std::chrono::steady_clock;
using frametest::requireEnv;

long msSince(Clock::time_point t0) {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t0).count());
}

// Worst delay of a 20 ms timer tick: how long the event loop was kept from
// running (a frozen window shows as a long gap).
class LoopLatencyProbe : public wxTimer {
public:
    LoopLatencyProbe() { Start(kPeriodMs); }
    void Notify() override {
        const auto now = Clock::now();
        if (last_) worst_ = std::max(worst_, msBetween(*last_, now) - kPeriodMs);
        last_ = now;
    }
    long worst() const { return worst_; }
    void reset() { worst_ = 0; last_.reset(); }

private:
    static constexpr int kPeriodMs = 20;
    static long msBetween(Clock::time_point a, Clock::time_point b) {
        return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(b - a).count());
    }
    std::optional<Clock::time_point> last_;
    long worst_ = 0;
};

class LiveWithoutDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        EMRealDataCommunication::releaseAll();
        db = std::make_unique<TestDatabase>(TestDatabase::Options{.seed = true});
        relay = std::make_unique<TcpForwarder>(requireEnv("QUORVEL_DB_HOST"), std::stoi(requireEnv("QUORVEL_DB_PORT")));
        relay->start();
    }
    void TearDown() override {
        if (client) client->stop();
        if (frame) {
            frame->Destroy();
            pumpUntil([&] { return !frame; }, 5000);
        }
        delete client;
        client = nullptr;
        interruptDatabaseWork();
        FaultLookupWorker::instance().stop();
        relay->pass();
        closeDatabase();
        EMRealDataCommunication::releaseAll();
        relay.reset();
        db.reset();
    }

    // The pool through the relay with short time-outs, the program's MQTT
    // wiring for u1 (d1 on channel 7 with fault f1, d2 on channel 8 without
    // one) and the main frame.
    void start(const std::string& brokerAddress = {}) {
        const std::string connection = withSessionTimeouts(
            buildConnectionString("127.0.0.1", static_cast<std::uint16_t>(relay->port()), db->name(),
                                  requireEnv("QUORVEL_DB_USER"), requireEnv("QUORVEL_DB_PASSWORD")),
            {.connectSeconds = 3, .readSeconds = 8, .writeSeconds = 8});
        ASSERT_TRUE(openDatabase(connection));
        const std::string address = brokerAddress.empty()
                                        ? requireEnv("QUORVEL_MQTT_HOST") + ":" + requireEnv("QUORVEL_MQTT_PORT")
                                        : brokerAddress;
        client = MqttClient::create(&handler, address.c_str());
        ASSERT_TRUE(client->connect(requireEnv("QUORVEL_MQTT_USER").c_str(), requireEnv("QUORVEL_MQTT_PASSWORD").c_str()));
        subscribeUserChannels(*client, "u1");
        frame = new CMainFrame(ViewContext{"u1", "r1"});
        frame->SetMqttClient(client);
        frame->SetSize(0, 40, 1000, 700);
        frame->Show();
        view = dynamic_cast<CViewRealtime*>(frame->GetView(0));
        ASSERT_NE(view, nullptr);
        ASSERT_TRUE(pumpUntil([&] { return client->isConnected(); }, 5000)) << "client never connected";
        ASSERT_TRUE(pumpUntil([&] { return lamps() == std::vector<int>{R, G}; }, 5000)) << "channel 7's fault never showed";
        pumpFor(300);  // subscriptions settle
    }

    std::vector<int> lamps() const {
        std::vector<int> out;
        for (int i = 0; i < view->GetList()->GetItemCount(); ++i) out.push_back(view->GetItemLamp(i));
        return out;
    }

    frametest::Publisher publisher() {
        return frametest::Publisher(requireEnv("QUORVEL_MQTT_HOST"), std::stoi(requireEnv("QUORVEL_MQTT_PORT")),
                                    requireEnv("QUORVEL_MQTT_USER"), requireEnv("QUORVEL_MQTT_PASSWORD"));
    }

    CViewQueryBase* historyView() {
        auto* history = dynamic_cast<CViewQueryBase*>(frame->GetView(1));
        EXPECT_NE(history, nullptr);
        if (history) {
            history->SelectDevice(0);
            history->SelectGroup(0);
            history->GetStartPicker()->SetTime(946684800);
            history->GetEndPicker()->SetTime(2000000000);
        }
        return history;
    }

    frametest::ProgramDir programDir;
    std::unique_ptr<TestDatabase> db;
    std::unique_ptr<TcpForwarder> relay;
    TransDataHandler handler;  // the program's: cache only, worker for the rest
    MqttClient* client = nullptr;
    wxWeakRef<CMainFrame> frame;
    CViewRealtime* view = nullptr;
};

TEST_F(LiveWithoutDatabaseTest, BlackHoledDatabaseFreezesNothingAndLampsConvergeWhenItAnswersAgain) {
    start();
    auto pub = publisher();
    LoopLatencyProbe probe;

    relay->blackHole();
    // Channel 8 gets a fault row the client cannot see while the database is
    // silent; its gateway reports it down.
    db->execute("insert into em_real_data_communication (id, device, type, before_status, relieve_flag, handler_flag) "
                "values ('f8', '8', 'comm', 1, 0, 0)");
    ASSERT_TRUE(pub.publish("8;gw02/CommStatus", "0"));
    // A history query too: the view must say it failed instead of hanging.
    CViewQueryBase* history = historyView();
    ASSERT_NE(history, nullptr);
    history->RunQuery();

    std::vector<long> lampMs;
    int last7 = R;
    bool linkStayedUp = true;
    bool historySaidSo = false;
    const auto blackHoleStart = Clock::now();
    int round = 0;
    while (msSince(blackHoleStart) < 90000) {
        const std::string state = (round++ % 2 == 0) ? "1" : "0";
        const std::vector<int> expected{state == "1" ? G : R, G};
        last7 = expected[0];
        const auto t0 = Clock::now();
        ASSERT_TRUE(pub.publish("7;gw01/CommStatus", state));
        const bool changed = pumpUntil([&] { return lamps() == expected; }, 3000);
        lampMs.push_back(changed ? msSince(t0) : -1);
        EXPECT_TRUE(changed) << "round " << round << ": channel 7's lamp did not follow";
        pumpUntil([&] {
            linkStayedUp = linkStayedUp && client->isConnected();
            historySaidSo = historySaidSo || history->GetMessageLine() == quorvel::ui::utf8ToUi("数据库查询失败！");
            return false;
        }, 5000);
    }
    const long worstLamp = *std::max_element(lampMs.begin(), lampMs.end());
    const long worstLoop = probe.worst();
    std::printf("database black-holed 90 s: %zu lamp changes, worst %ld ms; worst event-loop delay %ld ms; "
                "link up throughout: %d\n", lampMs.size(), worstLamp, worstLoop, linkStayedUp ? 1 : 0);
    RecordProperty("worst_lamp_ms", static_cast<int>(worstLamp));
    RecordProperty("worst_event_loop_delay_ms", static_cast<int>(worstLoop));
    EXPECT_GE(worstLamp, 0);
    EXPECT_LT(worstLamp, 1000) << "cached channels follow within 1 s";
    EXPECT_LT(worstLoop, 500) << "the window kept repainting";
    EXPECT_TRUE(linkStayedUp) << "keep-alives kept the broker link up (broker drops after 1.5 keep-alives of silence)";
    EXPECT_TRUE(historySaidSo) << "the history view said the query failed";
    frame->SwitchView(1);
    pumpFor(300);
    frametest::screenshot("history_query_failed");
    frame->SwitchView(0);
    pumpFor(100);
    EXPECT_EQ(lamps()[1], G) << "channel 8's row is not known yet";

    relay->pass();
    const auto t0 = Clock::now();
    const bool converged = pumpUntil([&] { return lamps() == std::vector<int>{last7, R}; }, 45000);
    std::printf("lamps converged %ld ms after the database answered again\n", msSince(t0));
    EXPECT_TRUE(converged) << "channel 8 shows its fault once the database answers";
}

// Exit while a history query waits on a silent database: the frame goes, the
// lookups end and the pool closes within 2 s (what the program's exit does).
TEST_F(LiveWithoutDatabaseTest, ExitDuringAQueryOnASilentDatabaseTakesUnderTwoSeconds) {
    start();
    relay->blackHole();
    auto pub = publisher();
    db->execute("insert into em_real_data_communication (id, device, type, before_status, relieve_flag, handler_flag) "
                "values ('f8', '8', 'comm', 1, 0, 0)");
    ASSERT_TRUE(pub.publish("8;gw02/CommStatus", "0"));  // the worker waits on the database too
    CViewQueryBase* history = historyView();
    ASSERT_NE(history, nullptr);
    history->RunQuery();
    pumpFor(1500);
    ASSERT_TRUE(history->IsQueryRunning());

    const auto t0 = Clock::now();
    client->stop();
    frame->Destroy();
    ASSERT_TRUE(pumpUntil([&] { return !frame; }, 5000));
    interruptDatabaseWork();
    FaultLookupWorker::instance().stop();
    EMRealDataCommunication::releaseAll();
    closeDatabase();
    const long took = msSince(t0);
    std::printf("exit during a query on a silent database took %ld ms\n", took);
    RecordProperty("exit_ms", static_cast<int>(took));
    EXPECT_LT(took, 2000);
}

// The broker goes silent: the status bar says so within the client's 30 s
// keep-alive, and once it answers again the client reconnects and the
// lamps follow again.
TEST_F(LiveWithoutDatabaseTest, BlackHoledBrokerShowsAsDownWithinTheKeepAliveAndIsRejoined) {
    // Also: while it is down the lamps are drawn greyed, as stale.
    TcpForwarder brokerRelay(requireEnv("QUORVEL_MQTT_HOST"), std::stoi(requireEnv("QUORVEL_MQTT_PORT")));
    brokerRelay.start();
    start("127.0.0.1:" + std::to_string(brokerRelay.port()));
    wxStatusBar* bar = frame->GetStatusBar();
    ASSERT_NE(bar, nullptr);
    const wxString up = quorvel::ui::utf8ToUi("MQTT服务器：已连接");
    const wxString down = quorvel::ui::utf8ToUi("MQTT服务器：未连接");
    ASSERT_TRUE(pumpUntil([&] { return bar->GetStatusText(0) == up; }, 3000));
    auto pub = publisher();

    brokerRelay.blackHole();
    const auto t0 = Clock::now();
    ASSERT_TRUE(pub.publish("7;gw01/CommStatus", "1"));  // lost in the silence
    const bool saidDown = pumpUntil([&] { return bar->GetStatusText(0) == down; }, 40000);
    const long downMs = msSince(t0);
    std::printf("silent broker shown as down after %ld ms\n", downMs);
    RecordProperty("broker_down_shown_ms", static_cast<int>(downMs));
    ASSERT_TRUE(saidDown);
    EXPECT_LT(downMs, 30000 + 3000) << "within the 30 s keep-alive (plus the status bar's period)";
    EXPECT_EQ(lamps(), (std::vector<int>{R, G})) << "nothing heard, nothing changed";
    EXPECT_TRUE(pumpUntil([&] { return view->LampsShownStale(); }, 1000)) << "old lamps must not look fresh";
    frametest::screenshot("lamps_while_broker_down");

    brokerRelay.pass();
    ASSERT_TRUE(pumpUntil([&] { return bar->GetStatusText(0) == up; }, 20000)) << "reconnected";
    EXPECT_TRUE(pumpUntil([&] { return !view->LampsShownStale(); }, 1000));
    pumpFor(500);  // resubscribed
    ASSERT_TRUE(pub.publish("7;gw01/CommStatus", "1"));
    EXPECT_TRUE(pumpUntil([&] { return lamps() == std::vector<int>{G, G}; }, 3000)) << "lamps follow again";
}

}  // namespace
