#include "RecordingDrawHandler.h"

#include <algorithm>

namespace curvella::test {

std::string RecordingDrawHandler::rect(int l, int t, int r, int b) {
    return std::to_string(l) + "," + std::to_string(t) + "," + std::to_string(r) + "," + std::to_string(b);
}

void RecordingDrawHandler::Create(wxWindow*, int l, int t, int r, int b) {
    ++createCount;
    log("Create " + rect(l, t, r, b));
}

void RecordingDrawHandler::SetItems(const IndexCaptions& i, const std::vector<Colour>& c) {
    items = i;
    itemColours = c;
    log("SetItems " + std::to_string(i.size()));
}

void RecordingDrawHandler::DrawLeftAxis(const AxisRecord* r, const std::vector<std::string>& labels) {
    hasLeftAxis = r != nullptr;
    if (r) leftAxis = *r;
    leftLabels = labels;
    log("DrawLeftAxis");
}

void RecordingDrawHandler::DrawRightAxis(const AxisRecord* r, const std::vector<std::string>& labels) {
    hasRightAxis = r != nullptr;
    if (r) rightAxis = *r;
    rightLabels = labels;
    log("DrawRightAxis");
}

void RecordingDrawHandler::DrawTimeAxis(int span, const std::vector<std::string>& labels) {
    timeSpan = span;
    timeLabels = labels;
    log("DrawTimeAxis");
}

void RecordingDrawHandler::DrawCurves(std::int64_t s, std::int64_t e, const std::vector<CurveSeries>& series,
                                      const RowSpan& rows) {
    curves = {s, e, series, rows.size()};
    curvesDrawn = true;
    log("DrawCurves");
}

void RecordingDrawHandler::SetLeftTitle(const std::string& c, const std::string& u) {
    leftCaption = c;
    leftUnit = u;
    log("SetLeftTitle " + c + "|" + u);
}

void RecordingDrawHandler::SetRightTitle(const std::string& c, const std::string& u) {
    rightCaption = c;
    rightUnit = u;
    log("SetRightTitle " + c + "|" + u);
}

int RecordingDrawHandler::SelectDate(const std::vector<std::string>& labels) {
    dateLabels = labels;
    log("SelectDate");
    return dateAnswer;
}

void RecordingDrawHandler::RequestRedraw() {
    ++redraws;
    curvesDrawn = false;
    log("RequestRedraw");
    engine_.Redraw();
}

bool RecordingDrawHandler::called(const std::string& c) const {
    return std::find(calls.begin(), calls.end(), c) != calls.end();
}

RecordingEngine::RecordingEngine()
    : engine([this](CoordsSys& e) {
          window = new RecordingDrawHandler(e);
          return window;
      }) {
    engine.CreateWnd(nullptr, 0, 0, 700, 600);
}

}  // namespace curvella::test
