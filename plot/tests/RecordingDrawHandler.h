// A DrawHandler that records what the engine asks of the window.
#pragma once
#include <string>
#include <vector>

#include "CoordsSys.h"
#include "DrawHandler.h"

namespace curvella::test {

struct RecordedCurves {
    std::int64_t start = 0, end = 0;
    std::vector<CurveSeries> series;
    std::size_t rows = 0;
};

class RecordingDrawHandler : public DrawHandler {
public:
    explicit RecordingDrawHandler(CoordsSys& engine) : engine_(engine) {}

    void Create(wxWindow*, int l, int t, int r, int b) override;
    void Move(int l, int t, int r, int b) override { log("Move " + rect(l, t, r, b)); }
    void SetItems(const IndexCaptions& items, const std::vector<Colour>& colours) override;
    void SetLeftColor(Colour c) override { leftColour = c; log("SetLeftColor " + std::to_string(c)); }
    void SetRightColor(Colour c) override { rightColour = c; log("SetRightColor " + std::to_string(c)); }
    void PopupSpanMenu(const std::vector<std::string>& names) override { menu = names; log("PopupSpanMenu"); }
    void PopupLeftMenu(const IndexCaptions& items) override { menuItems = items; log("PopupLeftMenu"); }
    void PopupRightMenu(const IndexCaptions& items) override { menuItems = items; log("PopupRightMenu"); }
    void DrawBackground() override { log("DrawBackground"); }
    void DrawBackgroundHook() override { log("Hook11"); }
    void DrawLeftAxis(const AxisRecord* r, const std::vector<std::string>& labels) override;
    void DrawRightAxis(const AxisRecord* r, const std::vector<std::string>& labels) override;
    void DrawAxesHook() override { log("Hook14"); }
    void DrawTimeAxis(int span, const std::vector<std::string>& labels) override;
    void DrawCurvesHook() override { log("Hook16"); }
    void DrawCurves(std::int64_t s, std::int64_t e, const std::vector<CurveSeries>& series,
                    const RowSpan& rows) override;
    void SetLeftTitle(const std::string& c, const std::string& u) override;
    void SetRightTitle(const std::string& c, const std::string& u) override;
    void SetLeftLock(bool b) override { leftLock = b ? "L" : "U"; log("SetLeftLock " + leftLock); }
    void SetRightLock(bool b) override { rightLock = b ? "L" : "U"; log("SetRightLock " + rightLock); }
    int SelectDate(const std::vector<std::string>& labels) override;
    void SetDateText(const std::string& t) override { dateText = t; log("SetDateText " + t); }
    void HideLeftGroup() override { leftGroup = false; log("HideLeftGroup"); }
    void ShowLeftGroup() override { leftGroup = true; log("ShowLeftGroup"); }
    void HideRightGroup() override { rightGroup = false; log("HideRightGroup"); }
    void ShowRightGroup() override { rightGroup = true; log("ShowRightGroup"); }
    void SetSpanText(const std::string& t) override { spanText = t; log("SetSpanText " + t); }
    void HideWnd() override { log("HideWnd"); }
    void ShowWnd() override { log("ShowWnd"); }
    // Draws at once, as a window that paints synchronously would.
    void RequestRedraw() override;

    // Calls since the last clear, one text each.
    std::vector<std::string> calls;
    void clear() { calls.clear(); }
    bool called(const std::string& c) const;
    int redraws = 0;

    IndexCaptions items, menuItems;
    std::vector<Colour> itemColours;
    std::vector<std::string> menu, timeLabels, dateLabels;
    std::string leftCaption, leftUnit, rightCaption, rightUnit, leftLock = "U", rightLock = "U";
    std::string dateText, spanText;
    Colour leftColour = 0, rightColour = 0;
    bool leftGroup = true, rightGroup = true;
    bool hasLeftAxis = false, hasRightAxis = false;
    AxisRecord leftAxis, rightAxis;
    std::vector<std::string> leftLabels, rightLabels;
    int timeSpan = -1;
    RecordedCurves curves;
    bool curvesDrawn = false;
    int dateAnswer = -1;
    int createCount = 0;

private:
    static std::string rect(int l, int t, int r, int b);
    void log(const std::string& s) { calls.push_back(s); }
    CoordsSys& engine_;
};

// An engine whose window is a RecordingDrawHandler, already "created".
struct RecordingEngine {
    RecordingEngine();
    CoordsSys engine;
    RecordingDrawHandler* window = nullptr;
};

}  // namespace curvella::test
