// The debug view in the program's own frame, wired as the program wires it:
// a fresh seeded database, the quillet client with the message handler
// subscribed to the user's channels, and the broker of the services. What
// the view sends is read back by a subscriber on the broker, byte for byte;
// a gateway on the broker answers it.

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>
#include <memory>
#include <string>

#include <wx/uiaction.h>

#include "BrokerProbe.h"
#include "FrameTestSupport.h"
#include "GatewayReplies.h"
#include "MqttTestSupport.h"
#include "TestDatabase.h"
#include "quorvel_test/WxTestApp.h"
#include "db/EMPassageway.h"
#include "mqtt/ChannelSubscriptions.h"
#include "mqtt/MsgBody.h"
#include "mqtt/Topics.h"
#include "mqtt/TransDataHandler.h"
#include "mqtt/ViewRegistry.h"
#include "quillet/MqttClient.h"
#include "ui/MainFrame.h"
#include "ui/UiText.h"
#include "ui/ViewDebug.h"

// The program's client, which the view sends through (the application
// object defines it in the program).
MqttClient* g_mqttClient = nullptr;

namespace {

constexpr const char* kProgramName = "ui_debug_view_test";
const auto* const kEnv = ::testing::AddGlobalTestEnvironment(new WxTestEnvironment(kProgramName));

using frametest::requireEnv;
using viewsdm::BrokerProbe;

std::atomic<int> g_run{0};

// `text` is `unit` once or more, nothing else.
bool onlyRepeats(const std::string& text, const std::string& unit) {
    if (text.empty() || text.size() % unit.size() != 0) return false;
    for (std::size_t i = 0; i < text.size(); i += unit.size())
        if (text.compare(i, unit.size(), unit) != 0) return false;
    return true;
}

class DebugViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        db = std::make_unique<TestDatabase>(TestDatabase::Options{.seed = true});
        // Channels of this run only: other tests publish on the same broker.
        const std::string tag = std::to_string(getpid()) + "x" + std::to_string(++g_run);
        commA = "dbgA" + tag;
        commB = "dbgB" + tag;
        commC = "dbgC" + tag;
        db->executeUtf8(
            "insert into em_protocol (id, protocol_name, protocol_plugins, publish_plugins) values ('pq','P1','','');"
            "insert into em_passageway (id, name, protocol, communication) values "
            "('71','A','pq','" + commA + "'),('72','B','pq','" + commB + "'),('73','C','zz','" + commC + "');"
            "insert into em_device (id, name, passageway) values "
            "('e1','一号站','71'),('e2','一号备用','71'),('e3','二号站','72'),('e4','无协议站','73');"
            "insert into em_user (id, name, login_name, password, role) values "
            "('u9','n','u9','p','r1'),('u8','m','u8','p','r1');"
            "insert into em_user_device (id, user, device) values "
            "('x1','u9','e1'),('x2','u9','e2'),('x3','u9','e3'),('x4','u9','e4')");
    }
    void TearDown() override {
        if (client) client->stop();  // no callback after this
        g_mqttClient = nullptr;
        if (frame) {
            frame->Destroy();
            pumpUntil([&] { return !frame; }, 2000);
        }
        delete client;
        client = nullptr;
        pumpFor(20);
        db.reset();
    }

    void start(const std::string& user = "u9") {
        ASSERT_TRUE(db->openPool());
        const std::string address = requireEnv("QUORVEL_MQTT_HOST") + ":" + requireEnv("QUORVEL_MQTT_PORT");
        client = MqttClient::create(&handler, address.c_str());
        ASSERT_TRUE(client->connect(requireEnv("QUORVEL_MQTT_USER").c_str(), requireEnv("QUORVEL_MQTT_PASSWORD").c_str()));
        subscribeUserChannels(*client, user);
        g_mqttClient = client;

        frame = new CMainFrame(ViewContext{user, "r1"});
        frame->SetMqttClient(client);
        frame->SetSize(0, 40, 1000, 700);
        frame->Show();
        for (int i = 0; i < frame->GetViewCount() && !view; ++i) {
            view = dynamic_cast<CViewDebug*>(frame->GetView(i));
            if (view) frame->SwitchView(i);
        }
        ASSERT_NE(view, nullptr) << "role r1 has the debug module";
        ASSERT_TRUE(pumpUntil([&] { return client->isConnected(); }, 5000)) << "client never connected";
    }

    // Waits until the client's subscription of channel A delivers, then
    // empties the receive area again.
    void waitChannelALive() {
        auto pub = publisher();
        bool live = false;
        for (int i = 0; i < 50 && !live; ++i) {
            pub.publish(commA + "/transup", "~");
            live = pumpUntil([&] { return !view->GetReceiveBytes().empty(); }, 200);
        }
        ASSERT_TRUE(live) << "transup of channel A never reached the view";
        pumpFor(200);  // stragglers of the probe
        view->GetClearReceiveButton()->Click();
        ASSERT_EQ(view->GetReceiveBytes(), "");
        ASSERT_EQ(view->GetReceiveEdit()->GetValue(), "");
    }

    frametest::Publisher publisher() {
        return frametest::Publisher(requireEnv("QUORVEL_MQTT_HOST"), std::stoi(requireEnv("QUORVEL_MQTT_PORT")),
                                    requireEnv("QUORVEL_MQTT_USER"), requireEnv("QUORVEL_MQTT_PASSWORD"));
    }
    std::unique_ptr<BrokerProbe> probe(std::vector<std::string> topics, BrokerProbe::Responder responder = {}) {
        auto p = std::make_unique<BrokerProbe>(requireEnv("QUORVEL_MQTT_HOST"), std::stoi(requireEnv("QUORVEL_MQTT_PORT")),
                                               requireEnv("QUORVEL_MQTT_USER"), requireEnv("QUORVEL_MQTT_PASSWORD"),
                                               std::move(topics), std::move(responder));
        EXPECT_TRUE(p->waitSubscribed(5000)) << "probe never subscribed";
        return p;
    }

    void selectDevice(int entry) {
        wxChoice* list = view->GetDeviceList();
        list->SetSelection(entry);
        wxCommandEvent ev(wxEVT_CHOICE, list->GetId());
        ev.SetEventObject(list);
        ev.SetInt(entry);
        list->GetEventHandler()->ProcessEvent(ev);
    }
    void send(const wxString& text) {
        view->GetSendEdit()->ChangeValue(text);
        view->GetSendButton()->Click();
    }
    bool waitReceived(const std::string& bytes, int timeoutMs = 3000) {
        return pumpUntil([&] { return view->GetReceiveBytes() == bytes; }, timeoutMs);
    }

    frametest::ProgramDir programDir;
    std::unique_ptr<TestDatabase> db;
    TransDataHandler handler;
    MqttClient* client = nullptr;
    wxWeakRef<CMainFrame> frame;
    CViewDebug* view = nullptr;
    std::string commA, commB, commC;
};

TEST_F(DebugViewTest, LinesAreSentAsCrLfAndAnEmptyAreaSendsAnEmptyPayload) {
    start();
    ASSERT_EQ(view->GetDeviceList()->GetCount(), 4u);
    EXPECT_EQ(view->GetDeviceList()->GetString(0), quorvel::ui::utf8ToUi("一号站"));
    waitChannelALive();
    // The gateway answers what goes down its channel.
    const std::string down = "P1/" + commA + "/transdown";
    auto gateway = probe({down}, [&](const BrokerProbe::Message& m) {
        return BrokerProbe::Message{transupTopic(transdownCommunication(m.topic)), gatewayReply(m.payload)};
    });

    // Typed as the operator types it: A, T, Enter.
    frame->Raise();
    view->GetSendEdit()->SetFocus();
    pumpFor(100);
    wxUIActionSimulator sim;
    sim.Text("AT");
    sim.Char(WXK_RETURN);
    ASSERT_TRUE(pumpUntil([&] { return view->GetSendEdit()->GetValue() == "AT\n"; }, 2000))
        << "typed: '" << view->GetSendEdit()->GetValue() << "'";
    view->GetSendButton()->Click();

    ASSERT_TRUE(gateway->waitForCount(1, 3000));
    EXPECT_EQ(gateway->messages()[0].topic, down);
    EXPECT_EQ(gateway->messages()[0].payload, std::string("AT\r\n"));
    EXPECT_EQ(gateway->messages()[0].payload.size(), 4u);
    // Our gateway answers; a demo gateway on the same broker may answer too.
    EXPECT_TRUE(pumpUntil([&] { return view->GetReceiveBytes().size() >= 4; }, 3000));
    pumpFor(300);
    EXPECT_TRUE(onlyRepeats(view->GetReceiveBytes(), "OK\r\n")) << view->GetReceiveBytes();
    EXPECT_EQ(view->GetSendEdit()->GetValue(), "AT\n") << "the send text stays";
    EXPECT_EQ(view->GetStatusMessage(), "");

    view->GetClearSendButton()->Click();
    EXPECT_EQ(view->GetSendEdit()->GetValue(), "");
    view->GetClearReceiveButton()->Click();
    EXPECT_EQ(view->GetReceiveEdit()->GetValue(), "");
    view->GetSendButton()->Click();
    ASSERT_TRUE(gateway->waitForCount(2, 3000));
    EXPECT_EQ(gateway->messages()[1].topic, down);
    EXPECT_EQ(gateway->messages()[1].payload, "") << "an empty area sends an empty payload";
    EXPECT_TRUE(pumpUntil([&] { return view->GetReceiveBytes().size() >= 5; }, 3000));
    pumpFor(300);
    EXPECT_TRUE(onlyRepeats(view->GetReceiveBytes(), "ECHO ")) << view->GetReceiveBytes();
    view->GetSendEdit()->ChangeValue("AT\n");
    pumpFor(400);
    frametest::screenshot("debug_view_at");
}

TEST_F(DebugViewTest, OnlyTheCurrentChannelsTransupIsAppendedUpToAZeroByte) {
    start();
    waitChannelALive();
    auto pub = publisher();
    ASSERT_TRUE(pub.publish(commA + "/transup", "ab"));
    ASSERT_TRUE(pub.publish(commA + "/transup", "cd"));
    ASSERT_TRUE(waitReceived("abcd"));
    EXPECT_EQ(view->GetReceiveEdit()->GetValue(), "abcd");

    // Another channel of the same user (subscribed as well), CommStatus of
    // this channel, and a direct post for the other channel change nothing.
    ASSERT_TRUE(pub.publish(commB + "/transup", "zz"));
    ASSERT_TRUE(pub.publish(commA + "/CommStatus", "1"));
    view->PostTransData(new MsgBody((commB + "/transup").c_str(), static_cast<int>(commB.size() + 8),
                                    reinterpret_cast<const unsigned char*>("yy"), 2));
    // Messages come in order: once "ef" shows, the others have been handled.
    ASSERT_TRUE(pub.publish(commA + "/transup", "ef"));
    ASSERT_TRUE(waitReceived("abcdef")) << view->GetReceiveBytes();
    EXPECT_EQ(view->GetReceiveEdit()->GetValue(), "abcdef");

    ASSERT_TRUE(pub.publish(commA + "/transup", std::string("gh\0ij", 5)));
    ASSERT_TRUE(pub.publish(commA + "/transup", "!"));
    EXPECT_TRUE(waitReceived("abcdefgh!")) << "text ends at the zero byte: " << view->GetReceiveBytes();

    view->GetClearReceiveButton()->Click();
    EXPECT_EQ(view->GetReceiveEdit()->GetValue(), "");
    ASSERT_TRUE(pub.publish(commA + "/transup", "new"));
    EXPECT_TRUE(waitReceived("new"));
}

TEST_F(DebugViewTest, TextTypedWhileDataArrivesIsKept) {
    start();
    waitChannelALive();
    auto pub = publisher();
    frame->Raise();
    view->GetSendEdit()->SetFocus();
    pumpFor(100);
    wxUIActionSimulator sim;
    std::string typed, received;
    for (int i = 0; i < 6; ++i) {
        const std::string piece = "k" + std::to_string(i);
        sim.Text(piece.c_str());
        typed += piece;
        const std::string data = "d" + std::to_string(i) + "\r\n";
        ASSERT_TRUE(pub.publish(commA + "/transup", data));
        received += data;
        ASSERT_TRUE(waitReceived(received)) << view->GetReceiveBytes();
    }
    EXPECT_TRUE(pumpUntil([&] { return view->GetSendEdit()->GetValue() == typed; }, 2000))
        << "send area: '" << view->GetSendEdit()->GetValue() << "'";

    // The caret stays where the operator left it.
    view->GetSendEdit()->ChangeValue("hello");
    view->GetSendEdit()->SetInsertionPoint(2);
    ASSERT_TRUE(pub.publish(commA + "/transup", "more"));
    ASSERT_TRUE(waitReceived(received + "more"));
    EXPECT_EQ(view->GetSendEdit()->GetValue(), "hello");
    EXPECT_EQ(view->GetSendEdit()->GetInsertionPoint(), 2);
}

TEST_F(DebugViewTest, ChineseTextGoesAsGbkBytesAndComesBackWhole) {
    start();
    waitChannelALive();
    // GBK coming up, one character cut across two messages.
    auto pub = publisher();
    ASSERT_TRUE(pub.publish(commA + "/transup", "\xCE"));
    ASSERT_TRUE(pub.publish(commA + "/transup", "\xC2\xB6\xC8\r\n"));
    ASSERT_TRUE(waitReceived("\xCE\xC2\xB6\xC8\r\n"));
    EXPECT_TRUE(view->GetReceiveEdit()->GetValue().StartsWith(quorvel::ui::utf8ToUi("温度")))
        << view->GetReceiveEdit()->GetValue().utf8_string();
    ASSERT_TRUE(pub.publish(commA + "/transup", "\xC9\xE8\xB1\xB8OK"));  // 设备OK
    ASSERT_TRUE(waitReceived("\xCE\xC2\xB6\xC8\r\n\xC9\xE8\xB1\xB8OK"));
    const std::string down = "P1/" + commA + "/transdown";
    auto sink = probe({down});
    send(quorvel::ui::utf8ToUi("你好AT\n温度"));
    ASSERT_TRUE(sink->waitForCount(1, 3000));
    EXPECT_EQ(sink->messages()[0].payload, std::string("\xC4\xE3\xBA\xC3" "AT\r\n" "\xCE\xC2\xB6\xC8"));

    pumpFor(400);  // let the areas repaint
    frametest::screenshot("debug_view_chinese");
}

TEST_F(DebugViewTest, AnotherDeviceOnTheSameChannelKeepsTheTextsAnotherChannelClearsThem) {
    start();
    waitChannelALive();
    auto pub = publisher();
    view->GetSendEdit()->ChangeValue("cmd");
    ASSERT_TRUE(pub.publish(commA + "/transup", "r1"));
    ASSERT_TRUE(waitReceived("r1"));

    selectDevice(1);  // 一号备用, channel A as well
    EXPECT_EQ(view->GetSendEdit()->GetValue(), "cmd");
    EXPECT_EQ(view->GetReceiveEdit()->GetValue(), "r1");
    ASSERT_NE(view->GetCurrentChannel(), nullptr);
    EXPECT_EQ(view->GetCurrentChannel()->id, "71");

    selectDevice(2);  // 二号站, channel B
    EXPECT_EQ(view->GetSendEdit()->GetValue(), "");
    EXPECT_EQ(view->GetReceiveEdit()->GetValue(), "");
    ASSERT_NE(view->GetCurrentChannel(), nullptr);
    EXPECT_EQ(view->GetCurrentChannel()->id, "72");
    // Now B is shown and A is not.
    ASSERT_TRUE(pub.publish(commA + "/transup", "old"));
    ASSERT_TRUE(pub.publish(commB + "/transup", "B!"));
    EXPECT_TRUE(waitReceived("B!")) << view->GetReceiveBytes();
}

TEST_F(DebugViewTest, ChannelWithAnUnknownProtocolDoesNotSendAndSaysSo) {
    start();
    const std::string downA = "P1/" + commA + "/transdown";
    auto sink = probe({downA, "+/" + commC + "/transdown", "/" + commC + "/transdown"});
    selectDevice(3);  // 无协议站: protocol "zz" does not exist
    ASSERT_NE(view->GetCurrentChannel(), nullptr);
    send("AT\n");
    EXPECT_EQ(view->GetStatusMessage(), CViewDebug::UnknownProtocolText());
    pumpFor(300);
    frametest::screenshot("debug_view_unknown_protocol");
    // A marker sent afterwards on channel A is the first thing the broker sees.
    selectDevice(0);
    EXPECT_EQ(view->GetStatusMessage(), "");
    send("marker");
    ASSERT_TRUE(sink->waitForCount(1, 3000));
    pumpFor(200);
    const auto seen = sink->messages();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].topic, downA);
    EXPECT_EQ(seen[0].payload, "marker");
}

TEST_F(DebugViewTest, SendWithTheLinkDownIsReportedInTheMessageLine) {
    start();
    client->stop();  // the program's client can no longer publish
    send("AT");
    EXPECT_EQ(view->GetStatusMessage(), CViewDebug::SendFailedText());
}

TEST_F(DebugViewTest, UserWithoutDevicesHasNoChannelAndTheViewRegistersUntilItGoes) {
    start("u8");
    EXPECT_EQ(view->GetDeviceList()->GetCount(), 0u);
    EXPECT_EQ(view->GetCurrentChannel(), nullptr);
    send("AT");
    EXPECT_EQ(view->GetStatusMessage(), "") << "no channel: the send button does nothing";
    EXPECT_TRUE(ViewRegistry::instance().isRegistered(ViewId::Debug));
    frame->Destroy();
    ASSERT_TRUE(pumpUntil([&] { return !frame; }, 2000));
    view = nullptr;
    EXPECT_FALSE(ViewRegistry::instance().isRegistered(ViewId::Debug));
}

TEST_F(DebugViewTest, ReceiveAreaKeepsAtMostOneMebibyteNewestLast) {
    start();
    const std::string topic = commA + "/transup";
    std::string first = "FIRST-START";
    first += std::string(700 * 1024, 'a');
    std::string second(700 * 1024, 'b');
    second += "SECOND-END";
    for (const std::string* p : {&first, &second})
        view->PostTransData(new MsgBody(topic.c_str(), static_cast<int>(topic.size()),
                                        reinterpret_cast<const unsigned char*>(p->data()), static_cast<int>(p->size())));
    ASSERT_TRUE(pumpUntil([&] { return view->GetReceiveBytes().size() > 10 && view->GetReceiveBytes().back() == 'D' &&
                                       view->GetReceiveBytes().find("SECOND") != std::string::npos; },
                          5000));
    EXPECT_LE(view->GetReceiveBytes().size(), 1024u * 1024u);
    const wxString shown = view->GetReceiveEdit()->GetValue();
    EXPECT_LE(shown.length(), 1024u * 1024u);
    EXPECT_TRUE(shown.EndsWith("bbbSECOND-END"));
    EXPECT_FALSE(shown.Contains("FIRST-START")) << "the oldest text goes first";
}

TEST_F(DebugViewTest, AreasFollowTheViewsRightAndBottomEdges) {
    start();
    for (const wxSize size : {wxSize(900, 600), wxSize(1200, 800)}) {
        frame->SetSize(size);
        pumpFor(80);
        const wxSize client = view->GetClientSize();
        const wxRect send = view->GetSendEdit()->GetRect();
        const wxRect recv = view->GetReceiveEdit()->GetRect();
        EXPECT_EQ(client.x - (send.GetRight() + 1), 10);
        EXPECT_EQ(client.x - (recv.GetRight() + 1), 10);
        EXPECT_EQ(client.y - (recv.GetBottom() + 1), 8);
        EXPECT_EQ(send.GetLeft(), 20);
        EXPECT_LT(send.GetBottom(), recv.GetTop());
    }
}

}  // namespace

namespace {

long residentKb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

}  // namespace

// A flood on the current channel's transup topic from another process while
// the UI thread is busy: messages beyond the size cap are dropped by the
// handler without a copy, and what the view cannot take yet waits in a
// bounded queue, so the client's memory stays bounded. Afterwards the view
// answers at once and shows new data again.
TEST_F(DebugViewTest, TransupFloodWhileTheViewIsBusyKeepsMemoryBoundedAndTheViewAnswering) {
    start();
    waitChannelALive();
    const std::string topic = commA + "/transup";
    const std::string big = "/tmp/ui_debug_view_flood_" + std::to_string(getpid());
    constexpr int kBigMb = 24, kBigCount = 2, kSmallKb = 64, kSmallCount = 3000;  // 48 MB, then 192 MB
    const std::string args = "-h " + requireEnv("QUORVEL_MQTT_HOST") + " -p " + requireEnv("QUORVEL_MQTT_PORT") +
                             " -u " + requireEnv("QUORVEL_MQTT_USER") + " -P " + requireEnv("QUORVEL_MQTT_PASSWORD") +
                             " -t " + topic;
    const std::string script = "head -c " + std::to_string(kBigMb) + "M /dev/zero | tr '\\0' x > " + big +
                               " && for i in $(seq " + std::to_string(kBigCount) + "); do mosquitto_pub " + args +
                               " -f " + big + "; done; rm -f " + big + "; L=$(head -c " +
                               std::to_string(kSmallKb * 1024 - 1) + " /dev/zero | tr '\\0' y); yes \"$L\" | head -n " +
                               std::to_string(kSmallCount) + " | mosquitto_pub " + args + " -l";

    const long before = residentKb();
    std::atomic<long> peak{before};
    std::atomic<bool> sampling{true};
    std::thread sampler([&] {
        while (sampling) {
            peak = std::max(peak.load(), residentKb());
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    // The UI thread does not pump while the flood runs: a view far behind.
    const int rc = std::system(script.c_str());
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // the broker's tail reaches the client
    sampling = false;
    sampler.join();
    ASSERT_EQ(rc, 0) << "publisher failed";

    EXPECT_LT(peak - before, 96 * 1024) << "RSS grew from " << before << " kB to " << peak << " kB";
    EXPECT_GT(view->GetDroppedTransData(), 0u) << "a busy view drops what does not fit, not the program";

    // The window answers right away: the backlog is shown slice by slice.
    const auto asked = std::chrono::steady_clock::now();
    std::atomic<bool> answered{false};
    wxTheApp->CallAfter([&] { answered = true; });
    ASSERT_TRUE(pumpUntil([&] { return answered.load(); }, 5000));
    const auto answerMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - asked).count();
    EXPECT_LT(answerMs, 2000) << "the UI thread was held " << answerMs << " ms";
    EXPECT_EQ(view->GetReceiveBytes().find('x'), std::string::npos) << "oversized messages are never shown";

    auto pub = publisher();
    pub.publish(topic, "AFTER-FLOOD");
    ASSERT_TRUE(pumpUntil([&] {
        const std::string& r = view->GetReceiveBytes();
        return r.size() >= 11 && r.compare(r.size() - 11, 11, "AFTER-FLOOD") == 0;
    }, 10000)) << "new data after the flood";
    EXPECT_LE(view->GetReceiveBytes().size(), 1024u * 1024u);
}
