#pragma once
// A real plot of the plot library with a record of what the view asked of
// it, so tests see both the calls and the drawn window.
#include <memory>
#include <string>
#include <vector>

#include <curvella/CoordsSysEngine.h>

#include "ui/model/ResultSeries.h"

struct PlotLog {
    struct Series {
        std::string caption, unit;
        int colour;
    };
    struct Row {
        quorvel::ui::PointTime time;
        std::vector<double> values;
    };
    std::vector<Series> series;
    std::vector<Row> rows;
    int createWnd = 0, initPlots = 0, showWnd = 0, hideWnd = 0, clearDatas = 0, updateDatas = 0, setDatas = 0;
    bool released = false;
};

// Every plot made since the last reset, oldest first.
std::vector<std::shared_ptr<PlotLog>>& plotLogs();
// Installs the recording factory into the views.
void installRecordingPlots();
