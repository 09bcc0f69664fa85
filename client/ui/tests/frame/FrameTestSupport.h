#pragma once
// What the frame tests share: a program directory with config/toolbar and
// UIConfig.xml, the tray icon of this process in the tray host, screenshots.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include <wx/gdicmn.h>

#include "app/Config.h"
#include "app/Globals.h"

#include "quorvel_test/TrayHost.h"

namespace frametest {

using ::runCommand;

inline std::string requireEnv(const char* name) {
    const char* v = std::getenv(name);
    if (!v || !*v) throw std::runtime_error(std::string("environment variable ") + name +
                                            " is not set (source .run/services.env)");
    return v;
}

// A program directory for the frame: config/toolbar holds the committed
// toolbar pictures, config/UIConfig.xml gives the seven buttons their images
// and tips (About and Exit as entries 3 and 4). Sets g_moduleDir and loads
// the configuration.
class ProgramDir {
public:
    ProgramDir() {
        namespace fs = std::filesystem;
        m_dir = fs::temp_directory_path() / ("quorvel_frame_" + std::to_string(getpid()));
        fs::create_directories(m_dir / "config" / "toolbar");
        const fs::path source = fs::path(requireEnv("QUORVEL_SOURCE_DIR")) / "client" / "res" / "toolbar";
        for (const auto& entry : fs::directory_iterator(source))
            fs::copy_file(entry.path(), m_dir / "config" / "toolbar" / entry.path().filename(),
                          fs::copy_options::overwrite_existing);
        if (FILE* f = std::fopen((m_dir / "config" / "UIConfig.xml").c_str(), "w")) {
            std::fputs(kUiConfig, f);
            std::fclose(f);
        }
        g_moduleDir = m_dir.string();
        Singleton<Config>::getInstance()->loadAll();
    }
    ~ProgramDir() {
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }
    std::filesystem::path path() const { return m_dir; }

    static constexpr const char* kUiConfig =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<UIConfig>\n"
        "  <BackgroundColor>\n"
        "    <view r=\"192\" g=\"192\" b=\"192\"/>\n"
        "    <toolbar r=\"0\" g=\"149\" b=\"49\"/>\n"
        "    <statusbar r=\"0\" g=\"149\" b=\"49\"/>\n"
        "  </BackgroundColor>\n"
        "  <ToolbarButton>\n"
        "    <button index=\"0\" ImageName=\"realtime.bmp\" TipName=\"实时监测\"/>\n"
        "    <button index=\"1\" ImageName=\"history.bmp\" TipName=\"历史数据\"/>\n"
        "    <button index=\"2\" ImageName=\"statistics.bmp\" TipName=\"数据统计\"/>\n"
        "    <button index=\"3\" ImageName=\"about.bmp\" TipName=\"关于\"/>\n"
        "    <button index=\"4\" ImageName=\"exit.bmp\" TipName=\"退出\"/>\n"
        "    <button index=\"5\" ImageName=\"about.bmp\" TipName=\"关于\"/>\n"
        "    <button index=\"6\" ImageName=\"exit.bmp\" TipName=\"退出\"/>\n"
        "  </ToolbarButton>\n"
        "</UIConfig>\n";

private:
    std::filesystem::path m_dir;
};

using ::ownTrayIcons;

// Clicks (count 1 or 2) in the middle of `r`, with the tray panel raised
// above any window another test may have put over it.
inline void clickAt(const wxRect& r, int count) {
    runCommand("for w in $(xdotool search --class trayer 2>/dev/null); do xdotool windowraise $w; done");
    const std::string at = std::to_string(r.x + r.width / 2) + " " + std::to_string(r.y + r.height / 2);
    runCommand("xdotool mousemove " + at + " click --repeat " + std::to_string(count) + " --delay 80 1");
}

// Screenshot of the whole screen into <build>/tests/artifacts/<name>.png.
inline std::string screenshot(const std::string& name) {
    std::filesystem::create_directories("artifacts");
    const std::string file = (std::filesystem::current_path() / "artifacts" / (name + ".png")).string();
    runCommand("import -window root '" + file + "' 2>/dev/null");
    return file;
}

}  // namespace frametest
