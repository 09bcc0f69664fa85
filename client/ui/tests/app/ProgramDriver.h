#pragma once
// Drives the real Quorvel_Client in a sandbox folder of its own: a copy of
// the program beside links to the shared libraries, its own config/ and its
// own runtime folder (where the single-instance lock lives). Windows are
// found and keys sent with xdotool on the test's display.
#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace progtest {

struct Servers {
    std::string dbIp, dbUser, dbPassword, dbName;
    int dbPort = 0;
    std::string mqttIp, mqttUser, mqttPassword;
    int mqttPort = 0;
    // Further attributes of <DB> and <mqtt> as written (e.g. the TLS ones).
    std::string dbExtra, mqttExtra;
};

class Sandbox {
public:
    explicit Sandbox(const std::string& tag);
    ~Sandbox();
    const std::filesystem::path& dir() const { return dir_; }
    void writeWorkParam(const Servers& s) const;

private:
    std::filesystem::path dir_;
};

class ClientProcess {
public:
    explicit ClientProcess(const Sandbox& box);
    ~ClientProcess();  // kills a copy still running
    pid_t pid() const { return pid_; }
    bool alive();
    // Exit code once it ended within the time, none otherwise.
    std::optional<int> waitExit(int timeoutMs);
    std::string errorOutput() const;  // what it wrote to standard error

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
    std::filesystem::path errFile_;
};

using Window = unsigned long;

// Visible windows of the process with their titles.
std::vector<std::pair<Window, std::string>> visibleWindows(pid_t pid);
// The visible window of the process with exactly this title, waited for.
std::optional<Window> waitWindow(pid_t pid, const std::string& title, int timeoutMs = 8000);
bool hasWindow(pid_t pid, const std::string& title);
// Waits until no visible window of the process has this title.
bool waitWindowGone(pid_t pid, const std::string& title, int timeoutMs = 5000);

void focus(Window w);
void key(Window w, const std::string& keys);   // e.g. "Return", "Tab"
void type(Window w, const std::string& text);
// Clicks at a point relative to the window's top left.
void click(Window w, int x, int y);
struct Geometry { int x, y, width, height; };
Geometry geometry(Window w);
// The window manager's close request (the close box).
void requestClose(Window w);
// Screenshot of the whole screen into artifacts/<name>.png.
void screenshot(const std::string& name);

}  // namespace progtest
