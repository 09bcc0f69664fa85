// The real program with both links on TLS, under the client's own database
// and broker accounts: it logs in, loads, receives channel states and sends
// on the debug terminal. And what the operator sees when a server's
// certificate does not verify: the reason at the login (database) and in
// the status bar (broker), with the details in the log.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "BrokerProbe.h"
#include "ProgramDriver.h"
#include "TestDatabase.h"

using namespace progtest;
namespace fs = std::filesystem;

namespace {

const std::string kLoginTitle = "用户登录";
const std::string kMainTitle = "Quorvel_Client(Version1.12)";
const std::string kMessageTitle = "Quorvel_Client";
constexpr int kToolbarY = 25;
constexpr int kDebugButtonX = 182;  // fourth toolbar button
constexpr int kViewTop = 51;

std::string env(const char* name) { return TestDatabase::requireEnv(name); }

std::string readText(const fs::path& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The largest visible window with the main title (the tray tool's windows
// may carry the title too).
std::optional<Window> mainWindow(pid_t pid) {
    std::optional<Window> main;
    int largest = 0;
    for (const auto& [w, title] : visibleWindows(pid)) {
        if (title != kMainTitle) continue;
        const Geometry g = geometry(w);
        if (g.width * g.height > largest) {
            largest = g.width * g.height;
            main = w;
        }
    }
    return main;
}

bool waitFor(const std::function<bool()>& done, int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 100) {
        if (done()) return true;
        usleep(100000);
    }
    return done();
}

void logIn(Window login) {
    type(login, "admin");
    key(login, "Tab");
    type(login, "admin123");
    key(login, "Return");
}

// Servers of the services with the client's accounts, both links on TLS.
// The broker's CA is given relative to the program (a copy in its folder).
Servers TlsServers(const TestDatabase& db, const Sandbox& box) {
    fs::create_directories(box.dir() / "certs");
    fs::copy_file(env("QUORVEL_TLS_CA"), box.dir() / "certs" / "ca.pem", fs::copy_options::overwrite_existing);
    Servers s;
    s.dbIp = env("QUORVEL_DB_HOST");
    s.dbPort = std::stoi(env("QUORVEL_DB_PORT"));
    s.dbUser = env("QUORVEL_DB_CLIENT_USER");
    s.dbPassword = env("QUORVEL_DB_CLIENT_PASSWORD");
    s.dbName = db.name();
    s.dbExtra = "tls=\"1\" tlsCa=\"" + env("QUORVEL_TLS_CA") + "\" ";
    s.mqttIp = env("QUORVEL_MQTT_HOST");
    s.mqttPort = std::stoi(env("QUORVEL_MQTT_TLS_PORT"));
    s.mqttUser = env("QUORVEL_MQTT_CLIENT_USER");
    s.mqttPassword = env("QUORVEL_MQTT_CLIENT_PASSWORD");
    s.mqttExtra = "tls=\"1\" tlsCa=\"certs/ca.pem\" ";
    return s;
}

TEST(TlsProgramTest, LogsInLoadsReceivesStatesAndSendsOverTls) {
    TestDatabase db({.seed = true});
    const std::string comm = "tlsP" + std::to_string(getpid());
    db.executeUtf8("update em_passageway set communication = '" + comm + "' where id = '7'");
    Sandbox box("tlsprogram");
    box.writeWorkParam(TlsServers(db, box));

    // The gateway side, on its own account over plain TCP: answers what the
    // terminal sends.
    const std::string down = "modbus/" + comm + "/transdown";
    viewsdm::BrokerProbe gateway(env("QUORVEL_MQTT_HOST"), std::stoi(env("QUORVEL_MQTT_PORT")),
                                 env("QUORVEL_MQTT_USER"), env("QUORVEL_MQTT_PASSWORD"), {down},
                                 [&](const viewsdm::BrokerProbe::Message&) {
                                     return viewsdm::BrokerProbe::Message{comm + "/transup", "OK\r\n"};
                                 });
    ASSERT_TRUE(gateway.waitSubscribed(5000));

    ::setenv("QUORVEL_DEBUG_TRACE", "1", 1);  // the program traces what it receives
    ClientProcess client(box);
    ::unsetenv("QUORVEL_DEBUG_TRACE");
    const auto login = waitWindow(client.pid(), kLoginTitle);
    ASSERT_TRUE(login) << "the database over TLS did not let the login dialog come up\n" << client.errorOutput();
    logIn(*login);
    ASSERT_TRUE(waitWindow(client.pid(), kMainTitle, 15000)) << client.errorOutput();
    const auto main = mainWindow(client.pid());
    ASSERT_TRUE(main);

    // A channel state published by the server side reaches the program.
    const std::string statusTopic = "7;" + comm + "/CommStatus";
    const std::string publish = "mosquitto_pub -h " + env("QUORVEL_MQTT_HOST") + " -p " + env("QUORVEL_MQTT_PORT") +
                                " -u " + env("QUORVEL_MQTT_USER") + " -P " + env("QUORVEL_MQTT_PASSWORD") +
                                " -t '" + statusTopic + "' -m 1";
    EXPECT_TRUE(waitFor(
        [&] {
            EXPECT_EQ(std::system(publish.c_str()), 0);
            return client.errorOutput().find("topic=" + statusTopic + " msg: 1") != std::string::npos;
        },
        15000))
        << "no channel state arrived over TLS\n" << client.errorOutput();

    // The debug terminal sends over TLS; the gateway's reply comes back.
    click(*main, kDebugButtonX, kToolbarY);
    usleep(500000);
    click(*main, 300, kViewTop + 120);
    usleep(200000);
    type(*main, "AT");
    key(*main, "Return");
    usleep(300000);
    click(*main, 20 + 40, kViewTop + 198 + 14);
    ASSERT_TRUE(gateway.waitForCount(1, 8000)) << "nothing reached the broker\n" << client.errorOutput();
    EXPECT_EQ(gateway.messages()[0].topic, down);
    EXPECT_EQ(gateway.messages()[0].payload, std::string("AT\r\n"));
    EXPECT_TRUE(waitFor([&] { return client.errorOutput().find(comm + "/transup") != std::string::npos; }, 8000))
        << "the reply did not come back\n" << client.errorOutput();
    usleep(500000);
    screenshot("tls_program_debug_view");
}

TEST(TlsProgramTest, UntrustedServersAreRefusedWithTheReasonShown) {
    TestDatabase db({.seed = true});
    Sandbox box("tlsrefused");
    // The program's log configuration, so the details can be read back.
    fs::copy_file(env("QUORVEL_SOURCE_DIR") + "/client/res/ApplicationLog.conf", box.dir() / "ApplicationLog.conf");
    const std::string otherCa = env("QUORVEL_TLS_DIR") + "/other-ca.pem";

    // Database: trusting another CA, the login message names the TLS refusal.
    Servers s = TlsServers(db, box);
    s.dbExtra = "tls=\"1\" tlsCa=\"" + otherCa + "\" ";
    box.writeWorkParam(s);
    {
        ClientProcess client(box);
        const auto message = waitWindow(client.pid(), kMessageTitle, 10000);
        ASSERT_TRUE(message) << "no message about the refused database\n" << client.errorOutput();
        screenshot("tls_database_refused");
        key(*message, "Return");
        ASSERT_TRUE(waitWindow(client.pid(), kLoginTitle));
        const std::string log = readText(box.dir() / "log" / "Quorvel_Client.log");
        EXPECT_NE(log.find("TLS/SSL error"), std::string::npos) << "the log has no details:\n" << log;
    }

    // Broker: trusting another CA, the status bar says why it is not connected.
    s = TlsServers(db, box);
    s.mqttExtra = "tls=\"1\" tlsCa=\"" + otherCa + "\" ";
    box.writeWorkParam(s);
    ClientProcess client(box);
    const auto login = waitWindow(client.pid(), kLoginTitle);
    ASSERT_TRUE(login) << client.errorOutput();
    logIn(*login);
    ASSERT_TRUE(waitWindow(client.pid(), kMainTitle, 15000)) << client.errorOutput();
    // The first attempt fails; the status timer shows it and logs the details.
    const fs::path logFile = box.dir() / "log" / "Quorvel_Client.log";
    EXPECT_TRUE(waitFor([&] { return readText(logFile).find("broker link failed") != std::string::npos; }, 10000))
        << readText(logFile);
    EXPECT_NE(readText(logFile).find("certificate"), std::string::npos) << readText(logFile);
    sleep(1);
    screenshot("tls_broker_refused");
}

}  // namespace
