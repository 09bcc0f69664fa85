// The real program, started as a child process under the test's display:
// single instance, login cancelled, server down at start then up, shutdown.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <thread>

#include <gtest/gtest.h>

#include "ProgramDriver.h"
#include "TcpForwarder.h"
#include "TestDatabase.h"

using namespace progtest;

namespace {

const std::string kLoginTitle = "用户登录";
const std::string kMainTitle = "Quorvel_Client(Version1.12)";
const std::string kMessageTitle = "Quorvel_Client";  // message boxes of the dialogs
const std::string kErrorTitle = "错误";

// A port that only counts who connects (a broker that must not be contacted).
class CountingListener {
public:
    CountingListener() {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(fd_, 8);
        socklen_t len = sizeof a;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
        thread_ = std::thread([this] {
            while (!stop_) {
                pollfd p{fd_, POLLIN, 0};
                if (::poll(&p, 1, 50) > 0) {
                    const int c = ::accept(fd_, nullptr, nullptr);
                    if (c >= 0) {
                        ++accepted_;
                        ::close(c);
                    }
                }
            }
        });
    }
    ~CountingListener() {
        stop_ = true;
        thread_.join();
        ::close(fd_);
    }
    int port() const { return port_; }
    int accepted() const { return accepted_; }

private:
    int fd_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> accepted_{0};
    std::thread thread_;
};

Servers ServicesFor(const TestDatabase& db) {
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
    return s;
}

// The cancel button: third of the four buttons along the dialog's bottom.
void ClickCancel(Window login) {
    const Geometry g = geometry(login);
    const int margin = 18;
    const int slot = (g.width - 2 * margin) / 4;
    click(login, margin + slot * 2 + slot / 2, g.height - margin - 12);
}

TEST(ProgramTest, SecondStartIsRefusedAndCancelEndsWithoutMainWindowOrBroker) {
    TestDatabase db({.seed = true});
    CountingListener broker;
    Sandbox box("single");
    Servers servers = ServicesFor(db);
    servers.mqttPort = broker.port();
    box.writeWorkParam(servers);

    ClientProcess first(box);
    const auto login = waitWindow(first.pid(), kLoginTitle);
    ASSERT_TRUE(login) << "login dialog of the first copy\n" << first.errorOutput();

    ClientProcess second(box);
    const auto refusal = waitWindow(second.pid(), kErrorTitle);
    ASSERT_TRUE(refusal) << "the second copy says it is already running\n" << second.errorOutput();
    screenshot("second_instance_refused");
    key(*refusal, "Return");
    const auto secondExit = second.waitExit(5000);
    ASSERT_TRUE(secondExit) << "the second copy ends after the message";
    EXPECT_NE(*secondExit, 0);
    EXPECT_EQ(second.errorOutput().find("@@@@@@@@@@@@000000@"), std::string::npos);

    EXPECT_TRUE(first.alive()) << "the first copy keeps running";
    EXPECT_TRUE(hasWindow(first.pid(), kLoginTitle));

    // Escape does not close the login dialog.
    key(*login, "Escape");
    EXPECT_TRUE(hasWindow(first.pid(), kLoginTitle));
    ClickCancel(*login);
    const auto firstExit = first.waitExit(5000);
    ASSERT_TRUE(firstExit) << "cancel ends the program\n" << first.errorOutput();
    EXPECT_EQ(*firstExit, 0);
    const std::string err = first.errorOutput();
    EXPECT_EQ(err.find("@@@@@@@@@@@@000000@"), std::string::npos) << "no start-up past the login\n" << err;
    EXPECT_EQ(broker.accepted(), 0) << "the broker is not contacted";
    EXPECT_EQ(err.find("AddressSanitizer"), std::string::npos) << err;
    EXPECT_EQ(err.find("LeakSanitizer"), std::string::npos) << err;
}

TEST(ProgramTest, ServerDownShowsTheFailureFirstEnterRetriesAndLogsInOnceItIsUp) {
    TestDatabase db({.seed = true});
    Servers servers = ServicesFor(db);
    TcpForwarder server(servers.dbIp, servers.dbPort);
    servers.dbPort = server.port();  // nothing listens there yet
    Sandbox box("down");
    box.writeWorkParam(servers);

    ClientProcess client(box);
    auto failure = waitWindow(client.pid(), kMessageTitle);
    ASSERT_TRUE(failure) << client.errorOutput();
    EXPECT_FALSE(hasWindow(client.pid(), kLoginTitle)) << "the failure message comes before the dialog";
    screenshot("connect_failed_before_login");
    key(*failure, "Return");

    const auto login = waitWindow(client.pid(), kLoginTitle);
    ASSERT_TRUE(login);
    type(*login, "admin");
    key(*login, "Tab");
    type(*login, "admin123");
    key(*login, "Return");  // still down: the message again
    failure = waitWindow(client.pid(), kMessageTitle);
    ASSERT_TRUE(failure) << "Enter retries the connection";
    key(*failure, "Return");
    ASSERT_TRUE(waitWindowGone(client.pid(), kMessageTitle));

    server.start();
    key(*login, "Return");
    const auto main = waitWindow(client.pid(), kMainTitle, 15000);
    ASSERT_TRUE(main) << "logged in once the server is up\n" << client.errorOutput();
    EXPECT_FALSE(hasWindow(client.pid(), kLoginTitle));
    screenshot("main_window_after_login");

    // The close box asks whether to quit; Enter takes the default answer, yes.
    // (The tray icon is a window of that title too: the prompt is the new one.)
    std::set<Window> before;
    for (const auto& [w, name] : visibleWindows(client.pid())) before.insert(w);
    requestClose(*main);
    Window prompt = 0;
    for (int i = 0; i < 50 && !prompt; ++i) {
        for (const auto& [w, name] : visibleWindows(client.pid()))
            if (!before.count(w) && name == kMessageTitle) prompt = w;
        if (!prompt) usleep(100000);
    }
    ASSERT_NE(prompt, 0u) << "exit prompt";
    screenshot("exit_prompt");
    key(prompt, "Return");
    const auto code = client.waitExit(10000);
    ASSERT_TRUE(code) << "the program ends after yes";
    EXPECT_EQ(*code, 0);

    const std::string err = client.errorOutput();
    const char* tags[] = {"000000", "000000111111", "000000222222", "000000333333",
                          "000000444444", "111111", "222222", "333333"};
    size_t at = 0;
    for (const char* tag : tags) {
        const std::string line = "@@@@@@@@@@@@" + std::string(tag) + "@@@@@@@@@@@@\r\n";
        const size_t found = err.find(line, at);
        ASSERT_NE(found, std::string::npos) << "trace " << tag << " in order\n" << err;
        at = found + line.size();
    }
    EXPECT_EQ(err.find("AddressSanitizer"), std::string::npos) << err;
    EXPECT_EQ(err.find("LeakSanitizer"), std::string::npos) << err;
}

// The database goes silent after login while the lookup worker waits on it
// for a channel it has not cached: the program still ends within 2 s of the
// operator's yes.
TEST(ProgramTest, ExitWithASilentDatabaseTakesUnderTwoSeconds) {
    TestDatabase db({.seed = true});
    Servers servers = ServicesFor(db);
    TcpForwarder dbRelay(servers.dbIp, servers.dbPort);
    dbRelay.start();
    servers.dbPort = dbRelay.port();
    Sandbox box("silentdb");
    box.writeWorkParam(servers);

    ClientProcess client(box);
    const auto login = waitWindow(client.pid(), kLoginTitle);
    ASSERT_TRUE(login) << client.errorOutput();
    type(*login, "admin");
    key(*login, "Tab");
    type(*login, "admin123");
    key(*login, "Return");
    const auto main = waitWindow(client.pid(), kMainTitle, 15000);
    ASSERT_TRUE(main) << client.errorOutput();
    sleep(2);  // connected and subscribed

    dbRelay.blackHole();
    db.execute("insert into em_real_data_communication (id, device, type, before_status, relieve_flag, handler_flag) "
               "values ('f8', '8', 'comm', 1, 0, 0)");
    const std::string publish = "mosquitto_pub -h " + servers.mqttIp + " -p " + std::to_string(servers.mqttPort) +
                                " -u " + servers.mqttUser + " -P " + servers.mqttPassword +
                                " -t '8;gw02/CommStatus' -m 0";
    ASSERT_EQ(std::system(publish.c_str()), 0);
    sleep(2);  // the lookup now waits on the silent database

    std::set<Window> before;
    for (const auto& [w, name] : visibleWindows(client.pid())) before.insert(w);
    requestClose(*main);
    Window prompt = 0;
    for (int i = 0; i < 50 && !prompt; ++i) {
        for (const auto& [w, name] : visibleWindows(client.pid()))
            if (!before.count(w) && name == kMessageTitle) prompt = w;
        if (!prompt) usleep(100000);
    }
    ASSERT_NE(prompt, 0u) << "exit prompt";
    const auto t0 = std::chrono::steady_clock::now();
    key(prompt, "Return");
    const auto code = client.waitExit(10000);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
    std::printf("exit with a silent database took %lld ms\n", static_cast<long long>(ms));
    RecordProperty("exit_ms", static_cast<int>(ms));
    ASSERT_TRUE(code) << "the program ends";
    EXPECT_EQ(*code, 0);
    EXPECT_LT(ms, 2000);
    const std::string err = client.errorOutput();
    EXPECT_EQ(err.find("AddressSanitizer"), std::string::npos) << err;
}

}  // namespace
