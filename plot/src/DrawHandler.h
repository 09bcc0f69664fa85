// The plot window as the engine drives it: layout, buttons, menus, legend,
// date dialog and the drawing operations.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "DatasManager.h"
#include "PlotPainter.h"
#include "YScale.h"

class wxWindow;

namespace curvella {

using IndexCaptions = std::vector<std::pair<int, std::string>>;

class DrawHandler {
public:
    virtual ~DrawHandler() = default;

    // Creates the window and its controls in parent client coordinates;
    // ignored once created.
    virtual void Create(wxWindow* parent, int left, int top, int right, int bottom) = 0;
    virtual void Move(int left, int top, int right, int bottom) = 0;

    virtual void SetItems(const IndexCaptions& items, const std::vector<Colour>& colours) = 0;
    // 0 restores the ordinary button colours.
    virtual void SetLeftColor(Colour c) = 0;
    virtual void SetRightColor(Colour c) = 0;
    virtual void PopupSpanMenu(const std::vector<std::string>& names) = 0;
    virtual void PopupLeftMenu(const IndexCaptions& items) = 0;
    virtual void PopupRightMenu(const IndexCaptions& items) = 0;

    virtual void DrawBackground() = 0;
    virtual void DrawBackgroundHook() {}
    virtual void DrawLeftAxis(const AxisRecord* record, const std::vector<std::string>& labels) = 0;
    virtual void DrawRightAxis(const AxisRecord* record, const std::vector<std::string>& labels) = 0;
    virtual void DrawAxesHook() {}
    virtual void DrawTimeAxis(int span, const std::vector<std::string>& labels) = 0;
    virtual void DrawCurvesHook() {}
    virtual void DrawCurves(std::int64_t windowStart, std::int64_t windowEnd, const std::vector<CurveSeries>& series,
                            const RowSpan& rows) = 0;

    virtual void SetLeftTitle(const std::string& caption, const std::string& unit) = 0;
    virtual void SetRightTitle(const std::string& caption, const std::string& unit) = 0;
    virtual void SetLeftLock(bool locked) = 0;
    virtual void SetRightLock(bool locked) = 0;
    // Runs the date dialog; the chosen position or -1.
    virtual int SelectDate(const std::vector<std::string>& labels) = 0;
    virtual void SetDateText(const std::string& text) = 0;
    virtual void HideLeftGroup() = 0;
    virtual void ShowLeftGroup() = 0;
    virtual void HideRightGroup() = 0;
    virtual void ShowRightGroup() = 0;
    virtual void SetSpanText(const std::string& text) = 0;
    virtual void HideWnd() = 0;
    virtual void ShowWnd() = 0;

    // Asks for the plot to be drawn again; the window answers with the
    // engine's Redraw from its paint handler (drawing happens only there).
    virtual void RequestRedraw() = 0;
};

}  // namespace curvella
