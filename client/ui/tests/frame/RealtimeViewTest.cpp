// The realtime view fed the way the program feeds it: a seeded database, the
// quillet client with the message handler subscribed to the user's channels,
// and CommStatus messages published to the broker as a gateway does.

#include <algorithm>
#include <random>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "FrameTestSupport.h"
#include "MqttTestSupport.h"
#include "TestDatabase.h"
#include "quorvel_test/WxTestApp.h"
#include "db/EMRealDataCommunication.h"
#include "mqtt/ChannelSubscriptions.h"
#include "mqtt/MsgBody.h"
#include "mqtt/TransDataHandler.h"
#include "quillet/MqttClient.h"
#include "ui/MainFrame.h"
#include "ui/ViewRealtime.h"

namespace {

constexpr const char* kProgramName = "quorvel_realtime_test";
const auto* const kEnv = ::testing::AddGlobalTestEnvironment(new WxTestEnvironment(kProgramName));

constexpr int G = CViewRealtime::kGreenLamp;
constexpr int R = CViewRealtime::kRedLamp;

using frametest::requireEnv;

class RealtimeViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        EMRealDataCommunication::releaseAll();
        db = std::make_unique<TestDatabase>(TestDatabase::Options{.seed = true});
    }
    void TearDown() override {
        if (client) client->stop();  // no callback after this
        if (frame) {
            frame->Destroy();
            pumpUntil([&] { return !frame; }, 2000);
        }
        delete client;
        client = nullptr;
        pumpFor(20);
        EMRealDataCommunication::releaseAll();
        db.reset();
    }

    // Pool and caches, then the program's MQTT wiring for `user`, then the frame.
    void start(const std::string& user, const std::string& role, const std::string& brokerAddress = {}) {
        ASSERT_TRUE(db->openPool());
        const std::string address = brokerAddress.empty()
                                        ? requireEnv("QUORVEL_MQTT_HOST") + ":" + requireEnv("QUORVEL_MQTT_PORT")
                                        : brokerAddress;
        client = MqttClient::create(&handler, address.c_str());
        ASSERT_TRUE(client->connect(brokerAddress.empty() ? requireEnv("QUORVEL_MQTT_USER").c_str() : "",
                                    brokerAddress.empty() ? requireEnv("QUORVEL_MQTT_PASSWORD").c_str() : ""));
        subscribeUserChannels(*client, user);

        frame = new CMainFrame(ViewContext{user, role});
        frame->SetMqttClient(client);
        frame->SetSize(0, 40, 1000, 700);
        frame->Show();
        view = dynamic_cast<CViewRealtime*>(frame->GetView(0));
        ASSERT_NE(view, nullptr);
        ASSERT_TRUE(pumpUntil([&] { return view->IsListBuilt(); }, 2000)) << "list never built";
        ASSERT_TRUE(pumpUntil([&] { return client->isConnected(); }, 5000)) << "client never connected";
        pumpFor(300);  // subscriptions settle after the connection
    }

    std::vector<int> lamps() const {
        std::vector<int> out;
        for (int i = 0; i < view->GetList()->GetItemCount(); ++i) out.push_back(view->GetItemLamp(i));
        return out;
    }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (int i = 0; i < view->GetList()->GetItemCount(); ++i)
            out.push_back(view->GetList()->GetItemText(i).utf8_string());
        return out;
    }

    // Publishes and waits (bounded) until the lamps are `expected`; returns
    // the time from publishing to seeing them, in ms, or -1.
    long publishAndWait(frametest::Publisher& pub, const std::string& topic, const std::string& payload,
                        const std::vector<int>& expected) {
        const auto t0 = std::chrono::steady_clock::now();
        if (!pub.publish(topic, payload)) return -1;
        if (!pumpUntil([&] { return lamps() == expected; }, 3000)) return -1;
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
        latencies.push_back(ms);
        return ms;
    }

    frametest::Publisher servicesPublisher() {
        return frametest::Publisher(requireEnv("QUORVEL_MQTT_HOST"), std::stoi(requireEnv("QUORVEL_MQTT_PORT")),
                                    requireEnv("QUORVEL_MQTT_USER"), requireEnv("QUORVEL_MQTT_PASSWORD"));
    }

    frametest::ProgramDir programDir;
    std::unique_ptr<TestDatabase> db;
    TransDataHandler handler;
    MqttClient* client = nullptr;
    wxWeakRef<CMainFrame> frame;
    CViewRealtime* view = nullptr;
    std::vector<long> latencies;
};

TEST_F(RealtimeViewTest, UserWithoutDevicesSeesAnEmptyList) {
    start("u3", "r2");
    EXPECT_EQ(view->GetList()->GetItemCount(), 0);
    EXPECT_EQ(view->GetList()->GetId(), CViewRealtime::kListId);
}

TEST_F(RealtimeViewTest, ThreeDevicesOnThreeChannelsShowThreeGreenLampsInAssignmentOrder) {
    db->executeUtf8(
        "insert into em_passageway (id, name, protocol, communication) values "
        "('21','a','p1','gw21'),('22','b','p1','gw22'),('23','c','p1','gw23');"
        "insert into em_device (id, name, passageway) values "
        "('e1','一号站','21'),('e2','二号站','22'),('e3','三号站','23'),('e4','无通道','99');"
        "insert into em_user (id, name, login_name, password, role) values ('u9','n','u9','p','r2');"
        "insert into em_user_device (id, user, device) values "
        "('x1','u9','e3'),('x2','u9','e4'),('x3','u9','e1'),('x4','u9','e2')");
    start("u9", "r2");
    EXPECT_EQ(names(), (std::vector<std::string>{"三号站", "一号站", "二号站"}));
    EXPECT_EQ(lamps(), (std::vector<int>{G, G, G}));
}

TEST_F(RealtimeViewTest, ListIsBuiltOnlyAfterTheInitialUpdatesTimer) {
    ASSERT_TRUE(db->openPool());
    frame = new CMainFrame(ViewContext{"u1", "r1"});
    view = dynamic_cast<CViewRealtime*>(frame->GetView(0));
    ASSERT_NE(view, nullptr);
    EXPECT_FALSE(view->IsListBuilt());
    EXPECT_EQ(view->GetList()->GetItemCount(), 0);
    EXPECT_TRUE(pumpUntil([&] { return view->IsListBuilt(); }, 2000));
    EXPECT_EQ(view->GetList()->GetItemCount(), 2);
}

TEST_F(RealtimeViewTest, UnrelievedFaultIsRedAndCommStatusMessagesMoveTheLamp) {
    start("u1", "r1");  // d1 on channel 7 (fault f1, relieve 0), d2 on channel 8
    EXPECT_EQ(names(), (std::vector<std::string>{"泵站一号", "水质监测仪"}));
    EXPECT_EQ(lamps(), (std::vector<int>{R, G}));
    auto pub = servicesPublisher();
    EXPECT_GE(publishAndWait(pub, "7;gw01/CommStatus", std::string(1, '\x01'), {G, G}), 0) << "0x01 must be green";
    EXPECT_GE(publishAndWait(pub, "7;gw01/CommStatus", std::string(1, '\x00'), {R, G}), 0) << "0x00 must be red";
    EXPECT_GE(publishAndWait(pub, "7;gw01/CommStatus", std::string(1, '\x03'), {G, G}), 0) << "0x03 must be green";
    EXPECT_GE(publishAndWait(pub, "7;gw01/CommStatus", "0", {R, G}), 0) << "digit 0 must be red";
    EXPECT_GE(publishAndWait(pub, "7;gw01/CommStatus", "1", {G, G}), 0) << "digit 1 must be green";
    EXPECT_EQ(names(), (std::vector<std::string>{"泵站一号", "水质监测仪"}));
    const long worst = latencies.empty() ? -1 : *std::max_element(latencies.begin(), latencies.end());
    RecordProperty("worst_publish_to_lamp_ms", static_cast<int>(worst));
    std::printf("publish-to-lamp latencies (ms):");
    for (long l : latencies) std::printf(" %ld", l);
    std::printf("\n");
}

TEST_F(RealtimeViewTest, DevicesSharingAChannelEachShowAnIconAndChangeTogether) {
    db->executeUtf8("insert into em_user_device (id, user, device) values ('ud9','u2','d3')");
    start("u2", "r2");  // d1 and d3, both on channel 7
    EXPECT_EQ(names(), (std::vector<std::string>{"泵站一号", "备用设备"}));
    EXPECT_EQ(lamps(), (std::vector<int>{R, R}));
    auto pub = servicesPublisher();
    EXPECT_GE(publishAndWait(pub, "7;gw01/CommStatus", "1", {G, G}), 0);
    EXPECT_GE(publishAndWait(pub, "7;gw01/CommStatus", "0", {R, R}), 0);
}

TEST_F(RealtimeViewTest, ChannelOfAnotherUsersDeviceChangesNothing) {
    // Channel 8 has a fault too, so the handler does post its messages.
    db->executeUtf8("insert into em_real_data_communication (id, device, type, before_status, relieve_flag, "
                    "handler_flag) values ('f8','8','comm',1,0,0)");
    start("u2", "r2");  // only d1, on channel 7
    ASSERT_EQ(lamps(), (std::vector<int>{R}));
    // A post for channel 8 straight to the view, as the handler would make it.
    view->PostCommStatus(new MsgBody("8;gw02/CommStatus", 17, reinterpret_cast<const unsigned char*>("1"), 1));
    auto pub = servicesPublisher();
    // Messages arrive in order: once channel 7's change shows, channel 8's post has been handled.
    ASSERT_GE(publishAndWait(pub, "7;gw01/CommStatus", "1", {G}), 0);
    EXPECT_EQ(names(), (std::vector<std::string>{"泵站一号"}));
    EXPECT_EQ(view->GetList()->GetItemCount(), 1);
}

TEST_F(RealtimeViewTest, ListKeepsTwentyPixelsFromTheTopRightAndBottomWhenResized) {
    start("u1", "r1");
    for (const wxSize size : {wxSize(900, 600), wxSize(1200, 800)}) {
        frame->SetSize(size);
        pumpFor(50);
        const wxRect list = view->GetList()->GetRect();
        const wxSize client = view->GetClientSize();
        EXPECT_EQ(list.GetTop(), 20);
        EXPECT_EQ(client.x - (list.GetRight() + 1), 20);
        EXPECT_EQ(client.y - (list.GetBottom() + 1), 20);
    }
}

TEST_F(RealtimeViewTest, LampsKeepFollowingAfterTheBrokerRestarts) {
    frametest::PrivateBroker broker;
    ASSERT_TRUE(broker.start()) << "private broker did not start";
    start("u1", "r1", "127.0.0.1:" + std::to_string(broker.port()));
    frametest::Publisher pub("127.0.0.1", broker.port(), "", "");
    ASSERT_GE(publishAndWait(pub, "7;gw01/CommStatus", "1", {G, G}), 0);

    broker.stop();
    ASSERT_TRUE(pumpUntil([&] { return !client->isConnected(); }, 5000));
    ASSERT_TRUE(broker.start()) << "private broker did not restart";
    ASSERT_TRUE(pumpUntil([&] { return client->isConnected(); }, 20000)) << "client never reconnected";
    pumpFor(300);  // resubscribed on reconnect
    EXPECT_GE(publishAndWait(pub, "7;gw01/CommStatus", "0", {R, G}), 0) << "lamps stopped following";
}

TEST_F(RealtimeViewTest, ScreenshotOfTheMainWindowWithDemoData) {
    db->executeUtf8(
        "insert into em_passageway (id, name, protocol, communication) values "
        "('31','c31','p1','gw31'),('32','c32','p1','gw32'),('33','c33','p1','gw33');"
        "insert into em_device (id, name, passageway) values "
        "('s1','城东水厂','31'),('s2','城西泵站','32'),('s3','南湖监测点','33'),('s4','北闸雨量站','31');"
        "insert into em_user_device (id, user, device) values "
        "('y1','u1','s1'),('y2','u1','s2'),('y3','u1','s3'),('y4','u1','s4');"
        "insert into em_real_data_communication (id, device, type, before_status, relieve_flag, handler_flag) "
        "values ('f32','32','comm',1,0,0)");
    start("u1", "r1");
    frame->SetSize(0, 40, 1280, 984);
    pumpFor(300);
    EXPECT_EQ(lamps(), (std::vector<int>{R, G, G, R, G, G}));
    const std::string file = frametest::screenshot("realtime_view");
    EXPECT_TRUE(std::filesystem::exists(file)) << file;
}

}  // namespace

namespace {

// A site of many devices for u1: channels s0..s(n-1) with a fault row each,
// two devices per channel.
void addSite(TestDatabase& db, int channels) {
    std::string passageways, devices, userDevices, faults;
    for (int c = 0; c < channels; ++c) {
        const std::string id = "s" + std::to_string(c);
        passageways += (c ? "," : "") + std::string("('") + id + "','ch','1','gws" + std::to_string(c) + "')";
        faults += (c ? "," : "") + std::string("('f") + id + "','" + id + "','comm',1,0,0)";
        for (int k = 0; k < 2; ++k) {
            const std::string dev = "sd" + std::to_string(2 * c + k);
            devices += (devices.empty() ? "" : ",") + std::string("('") + dev + "','站点" + std::to_string(2 * c + k) +
                       "','" + id + "')";
            userDevices += (userDevices.empty() ? "" : ",") + std::string("('u") + dev + "','u1','" + dev + "')";
        }
    }
    db.executeUtf8("insert into em_passageway (id, name, protocol, communication) values " + passageways);
    db.executeUtf8("insert into em_device (id, name, passageway) values " + devices);
    db.executeUtf8("insert into em_user_device (id, user, device) values " + userDevices);
    db.executeUtf8("insert into em_real_data_communication (id, device, type, before_status, relieve_flag, "
                   "handler_flag) values " + faults);
}

}  // namespace

// Hundreds of lamps wrap into rows inside the view's width and scroll
// vertically; a burst of state messages through the broker, several per
// channel and in random order, leaves every lamp at its channel's last state.
TEST_F(RealtimeViewTest, ManyLampsWrapIntoRowsAndABurstLeavesEachChannelsLastState) {
    constexpr int kChannels = 300;
    addSite(*db, kChannels);
    start("u1", "r1");
    CLampGrid* grid = view->GetList();
    ASSERT_EQ(grid->GetItemCount(), 2 + 2 * kChannels);
    const int width = grid->GetClientSize().x;
    int rows = 0, lastTop = -1;
    for (int i = 0; i < grid->GetItemCount(); ++i) {
        const wxRect r = grid->GetItemRect(i);
        ASSERT_GE(r.GetLeft(), 0) << i;
        ASSERT_LE(r.GetRight(), width) << "icon " << i << " beyond the view's width " << width;
        if (r.GetTop() != lastTop) {
            ASSERT_GT(r.GetTop(), lastTop) << "rows go downwards";
            lastTop = r.GetTop();
            ++rows;
        }
    }
    EXPECT_GT(rows, 5);
    EXPECT_GT(grid->GetVirtualSize().y, grid->GetClientSize().y) << "the rest is reached by scrolling down";
    for (int i = 2; i < grid->GetItemCount(); ++i) ASSERT_EQ(view->GetItemLamp(i), R) << "unrelieved faults are red";

    std::vector<int> last(kChannels, 0);
    auto pub = servicesPublisher();
    // Subscriptions take effect in order: once the last channel's message
    // shows, every channel's does.
    const std::string lastTopic = "s" + std::to_string(kChannels - 1) + ";gws" + std::to_string(kChannels - 1) +
                                  "/CommStatus";
    bool live = false;
    for (int i = 0; i < 50 && !live; ++i) {
        pub.publish(lastTopic, "1");
        live = pumpUntil([&] { return view->GetItemLamp(view->GetChannels().itemsOf("s" + std::to_string(kChannels - 1))[0]) == G; }, 200);
    }
    ASSERT_TRUE(live) << "the last channel's subscription never delivered";
    last[kChannels - 1] = 1;

    std::mt19937 random(11);
    for (int round = 0; round < 6; ++round) {
        for (int c = 0; c < kChannels; ++c) {
            const int channel = static_cast<int>(random() % kChannels);
            last[static_cast<std::size_t>(channel)] = static_cast<int>(random() & 1u);
            ASSERT_TRUE(pub.publish("s" + std::to_string(channel) + ";gws" + std::to_string(channel) + "/CommStatus",
                                    std::to_string(last[static_cast<std::size_t>(channel)])));
        }
    }
    // Icons are in the order the user's devices come; each shows its channel.
    std::vector<int> expected;
    for (const auto& item : view->GetChannels().items()) {
        if (item.channelId == "7") expected.push_back(R);       // the seed's d1, with a fault
        else if (item.channelId == "8") expected.push_back(G);  // the seed's d2
        else expected.push_back(last[static_cast<std::size_t>(std::stoi(item.channelId.substr(1)))] ? G : R);
    }
    const bool reached = pumpUntil([&] { return lamps() == expected; }, 15000);
    int differ = 0;
    const std::vector<int> shown = lamps();
    for (std::size_t i = 0; i < shown.size(); ++i) differ += shown[i] != expected[i];
    EXPECT_TRUE(reached) << differ << " of " << shown.size() << " lamps differ from their channel's last state";
}
