#pragma once
// Window tests against a real tray host (trayer): shell commands and the
// icons a program has embedded in the host's panel.

#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/gdicmn.h>
#include <wx/taskbar.h>

// For the first assertion of a test that needs a tray host: fails with a
// message that says what is missing (scripts/test.sh starts trayer).
inline ::testing::AssertionResult trayHostRunning() {
    if (wxTaskBarIcon::IsAvailable()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "this test needs a tray host and none runs on the display: start trayer before the test, "
              "as scripts/test.sh does";
}

// Output of a shell command (xdotool, xwininfo, import...).
inline std::string runCommand(const std::string& cmd) {
    std::string out;
    if (FILE* p = popen(cmd.c_str(), "r")) {
        char buf[512];
        while (fgets(buf, sizeof buf, p)) out += buf;
        pclose(p);
    }
    return out;
}

// Icons of the named program embedded in the tray host's panel, as absolute
// rectangles. Several test programs may share one host; the icon windows
// carry the program's name, so only ours count.
inline std::vector<wxRect> ownTrayIcons(const std::string& programName) {
    const std::string tree = runCommand("xwininfo -root -tree 2>/dev/null");
    const std::string ours = "\"" + programName + "\": (";
    std::vector<wxRect> icons;
    std::size_t panelIndent = std::string::npos;
    std::size_t pos = 0;
    while (pos < tree.size()) {
        std::size_t eol = tree.find('\n', pos);
        if (eol == std::string::npos) eol = tree.size();
        const std::string line = tree.substr(pos, eol - pos);
        pos = eol + 1;
        const std::size_t indent = line.find_first_not_of(' ');
        if (indent == std::string::npos) continue;
        if (line.find("(\"panel\" \"trayer\")") != std::string::npos) {
            panelIndent = indent;
            continue;
        }
        if (panelIndent == std::string::npos) continue;
        if (indent <= panelIndent && line.find("0x") == indent) {
            panelIndent = std::string::npos;
            continue;
        }
        if (line.find(ours) == std::string::npos) continue;
        int w = 0, h = 0, rx = 0, ry = 0, ax = 0, ay = 0;
        const std::size_t geo = line.rfind(")  ");
        if (geo != std::string::npos &&
            std::sscanf(line.c_str() + geo + 3, "%dx%d%d%d %d%d", &w, &h, &rx, &ry, &ax, &ay) == 6)
            icons.emplace_back(ax, ay, w, h);
    }
    return icons;
}
