// The debug view inside the real program: log in, open the debug module from
// the toolbar, type a command and press the send button; the broker sees the
// bytes on the channel's transdown topic. This is the program's own wiring
// (its MQTT client, the view's registration), not a test process's.

#include <unistd.h>

#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "BrokerProbe.h"
#include "ProgramDriver.h"
#include "TestDatabase.h"

using namespace progtest;

namespace {

const std::string kLoginTitle = "用户登录";
const std::string kMainTitle = "Quorvel_Client(Version1.12)";

// Where the controls are, relative to the main window's top left: the
// toolbar strip of 38-pixel buttons, then the view below it.
constexpr int kToolbarY = 25;
constexpr int kDebugButtonX = 182;  // fourth toolbar button
constexpr int kViewTop = 51;

TEST(DebugProgramTest, TypedCommandGoesOutOnTheChannelsTransdownTopic) {
    TestDatabase db({.seed = true});
    const std::string comm = "dbgP" + std::to_string(getpid());
    // Channel 7 (device d1 of admin) gets a topic root of this run only.
    db.executeUtf8("update em_passageway set communication = '" + comm + "' where id = '7'");

    Servers s;
    s.dbIp = TestDatabase::requireEnv("QUORVEL_DB_HOST");
    s.dbPort = std::stoi(TestDatabase::requireEnv("QUORVEL_DB_PORT"));
    s.dbUser = TestDatabase::requireEnv("QUORVEL_DB_CLIENT_USER");
    s.dbPassword = TestDatabase::requireEnv("QUORVEL_DB_CLIENT_PASSWORD");
    s.dbName = db.name();
    s.mqttIp = TestDatabase::requireEnv("QUORVEL_MQTT_HOST");
    s.mqttPort = std::stoi(TestDatabase::requireEnv("QUORVEL_MQTT_PORT"));
    s.mqttUser = TestDatabase::requireEnv("QUORVEL_MQTT_CLIENT_USER");
    s.mqttPassword = TestDatabase::requireEnv("QUORVEL_MQTT_CLIENT_PASSWORD");

    const std::string down = "modbus/" + comm + "/transdown";
    // The probe plays the gateway side (its own account); the program uses
    // the client's account, which may only publish on transdown topics.
    viewsdm::BrokerProbe sink(s.mqttIp, s.mqttPort, TestDatabase::requireEnv("QUORVEL_MQTT_USER"),
                              TestDatabase::requireEnv("QUORVEL_MQTT_PASSWORD"), {down});
    ASSERT_TRUE(sink.waitSubscribed(5000));

    Sandbox box("debugview");
    box.writeWorkParam(s);
    ClientProcess client(box);
    const auto login = waitWindow(client.pid(), kLoginTitle);
    ASSERT_TRUE(login) << client.errorOutput();
    type(*login, "admin");
    key(*login, "Tab");
    type(*login, "admin123");
    key(*login, "Return");
    ASSERT_TRUE(waitWindow(client.pid(), kMainTitle, 15000)) << client.errorOutput();
    sleep(2);  // the broker link comes up in the background
    // Other short-lived windows may carry the program's title too (the tray
    // tool's): the main window is the largest one still there.
    std::optional<Window> main;
    int largest = 0;
    for (const auto& [w, title] : visibleWindows(client.pid())) {
        if (title != kMainTitle) continue;
        const Geometry g = geometry(w);
        if (g.width * g.height > largest) {
            largest = g.width * g.height;
            main = w;
        }
    }
    ASSERT_TRUE(main) << client.errorOutput();

    click(*main, kDebugButtonX, kToolbarY);
    usleep(500000);
    click(*main, 300, kViewTop + 120);  // into the send area
    usleep(200000);
    type(*main, "AT");
    key(*main, "Return");
    usleep(300000);
    screenshot("debug_view_in_program");
    click(*main, 20 + 40, kViewTop + 198 + 14);  // the send button

    ASSERT_TRUE(sink.waitForCount(1, 5000)) << "nothing reached the broker\n" << client.errorOutput();
    const auto seen = sink.messages();
    EXPECT_EQ(seen[0].topic, down);
    EXPECT_EQ(seen[0].payload, std::string("AT\r\n"));
}

}  // namespace
