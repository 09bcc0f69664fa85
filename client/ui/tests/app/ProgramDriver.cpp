#include "ProgramDriver.h"

#include <X11/Xlib.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace fs = std::filesystem;

namespace progtest {

namespace {

std::string run(const std::string& cmd) {
    std::string out;
    FILE* p = ::popen(cmd.c_str(), "r");
    if (!p) return out;
    std::array<char, 512> buf{};
    size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0) out.append(buf.data(), n);
    ::pclose(p);
    return out;
}

void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

fs::path binDir() {
    const char* bin = std::getenv("QUORVEL_BIN_DIR");
    if (!bin || !*bin) throw std::runtime_error("QUORVEL_BIN_DIR is not set (run through ctest)");
    return bin;
}

}  // namespace

Sandbox::Sandbox(const std::string& tag) {
    dir_ = fs::temp_directory_path() / ("quorvel_prog_" + tag + "_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "config");
    fs::create_directories(dir_ / "run");
    fs::permissions(dir_ / "run", fs::perms::owner_all, fs::perm_options::replace);
    const fs::path bin = binDir();
    // A real copy: the program finds config/ beside its own file.
    fs::copy_file(bin / "Quorvel_Client", dir_ / "Quorvel_Client");
    for (const auto& e : fs::directory_iterator(bin))
        if (e.path().filename().string().find(".so") != std::string::npos)
            fs::create_symlink(e.path(), dir_ / e.path().filename());
    if (fs::exists(bin / "config" / "UIConfig.xml"))
        fs::copy_file(bin / "config" / "UIConfig.xml", dir_ / "config" / "UIConfig.xml");
    if (fs::exists(bin / "config" / "toolbar"))
        fs::create_directory_symlink(bin / "config" / "toolbar", dir_ / "config" / "toolbar");
}

Sandbox::~Sandbox() {
    std::error_code ec;
    fs::remove_all(dir_, ec);
}

void Sandbox::writeWorkParam(const Servers& s) const {
    std::ofstream out(dir_ / "config" / "WorkParam.xml");
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<WorkParam>\n"
        << "  <DB ip=\"" << s.dbIp << "\" port=\"" << s.dbPort << "\" user=\"" << s.dbUser
        << "\" pwd=\"" << s.dbPassword << "\" DBName=\"" << s.dbName << "\" " << s.dbExtra << "/>\n"
        << "  <mqtt ip=\"" << s.mqttIp << "\" port=\"" << s.mqttPort << "\" user=\"" << s.mqttUser
        << "\" pwd=\"" << s.mqttPassword << "\" " << s.mqttExtra << "/>\n</WorkParam>\n";
}

ClientProcess::ClientProcess(const Sandbox& box) {
    static int counter = 0;
    errFile_ = box.dir() / ("stderr" + std::to_string(++counter) + ".log");
    const std::string dir = box.dir().string();
    const std::string exe = (box.dir() / "Quorvel_Client").string();
    const std::string runtime = (box.dir() / "run").string();
    const std::string err = errFile_.string();
    pid_ = ::fork();
    if (pid_ == 0) {
        ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        // In an AddressSanitizer build: report our leaks, not the desktop's.
        const char* src = std::getenv("QUORVEL_SOURCE_DIR");
        if (src && !std::getenv("LSAN_OPTIONS")) {
            const std::string opts = std::string("suppressions=") + src +
                                     "/client/ui/tests/app/lsan-system.supp:print_suppressions=0";
            ::setenv("LSAN_OPTIONS", opts.c_str(), 1);
        }
        if (::chdir(dir.c_str()) != 0) ::_exit(126);
        const int fd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) {
            ::dup2(fd, 2);
            ::dup2(fd, 1);
            ::close(fd);
        }
        ::execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
}

ClientProcess::~ClientProcess() {
    if (alive()) {
        ::kill(pid_, SIGKILL);
        waitExit(3000);
    }
}

bool ClientProcess::alive() {
    if (status_) return false;
    int st = 0;
    const pid_t r = ::waitpid(pid_, &st, WNOHANG);
    if (r == pid_) {
        status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
        return false;
    }
    return r == 0;
}

std::optional<int> ClientProcess::waitExit(int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (alive()) {
        if (std::chrono::steady_clock::now() >= end) return std::nullopt;
        sleepMs(50);
    }
    return status_;
}

std::string ClientProcess::errorOutput() const {
    std::ifstream in(errFile_);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::vector<std::pair<Window, std::string>> visibleWindows(pid_t pid) {
    std::vector<std::pair<Window, std::string>> out;
    std::istringstream ids(run("xdotool search --onlyvisible --pid " + std::to_string(pid) + " 2>/dev/null"));
    Window w;
    while (ids >> w) {
        std::string name = run("xdotool getwindowname " + std::to_string(w) + " 2>/dev/null");
        while (!name.empty() && (name.back() == '\n' || name.back() == '\r')) name.pop_back();
        out.emplace_back(w, name);
    }
    return out;
}

std::optional<Window> waitWindow(pid_t pid, const std::string& title, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    do {
        for (const auto& [w, name] : visibleWindows(pid))
            if (name == title) {
                sleepMs(150);  // let it draw before keys or screenshots
                return w;
            }
        sleepMs(100);
    } while (std::chrono::steady_clock::now() < end);
    return std::nullopt;
}

bool hasWindow(pid_t pid, const std::string& title) {
    for (const auto& [w, name] : visibleWindows(pid))
        if (name == title) return true;
    return false;
}

bool waitWindowGone(pid_t pid, const std::string& title, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (hasWindow(pid, title)) {
        if (std::chrono::steady_clock::now() >= end) return false;
        sleepMs(100);
    }
    return true;
}

void focus(Window w) {
    run("xdotool windowraise " + std::to_string(w) + " windowfocus --sync " + std::to_string(w) +
        " 2>/dev/null");
    sleepMs(50);
}

void key(Window w, const std::string& keys) {
    focus(w);
    run("xdotool key --delay 30 " + keys);
    sleepMs(100);
}

void type(Window w, const std::string& text) {
    focus(w);
    run("xdotool type --delay 15 '" + text + "'");
}

Geometry geometry(Window w) {
    Display* d = XOpenDisplay(nullptr);
    Geometry g{0, 0, 0, 0};
    if (!d) return g;
    ::Window root, child;
    int x, y;
    unsigned width, height, border, depth;
    if (XGetGeometry(d, w, &root, &x, &y, &width, &height, &border, &depth)) {
        XTranslateCoordinates(d, w, root, 0, 0, &g.x, &g.y, &child);
        g.width = static_cast<int>(width);
        g.height = static_cast<int>(height);
    }
    XCloseDisplay(d);
    return g;
}

void click(Window w, int x, int y) {
    const Geometry g = geometry(w);
    run("xdotool mousemove --sync " + std::to_string(g.x + x) + " " + std::to_string(g.y + y) +
        " click 1");
    sleepMs(100);
}

void requestClose(Window w) {
    Display* d = XOpenDisplay(nullptr);
    if (!d) return;
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = w;
    ev.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
    ev.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, w, False, NoEventMask, &ev);
    XFlush(d);
    XCloseDisplay(d);
}

void screenshot(const std::string& name) {
    fs::create_directories("artifacts");
    run("import -silent -window root artifacts/" + name + ".png");
}

}  // namespace progtest
