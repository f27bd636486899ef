#include "app/measure/MeasureDisplay.h"

#include <vector>

#include "app/measure/VideoPlot.h"
#include "app/shell/Colors.h"
#include "app/shell/ControlIds.h"
#include "app/shell/ScopeApp.h"
#include "core/measure/BarGraphPlan.h"
#include "core/measure/RollGraphPlan.h"
#include "core/measure/VideoCurvePlan.h"
#include "ui/Graph.h"
#include "ui/Platform.h"

namespace korvo {

using namespace ids;

namespace {

void colourValueReadouts(ScopeApp& app, bool outside) {
    const QRgb c = outside ? kRed : kDarkGreen;
    app.ui.setTextColor(app.panels.main, MAIN_MVALUE_MM, c);
    app.ui.setTextColor(app.panels.main, MAIN_MVALUE, c);
}

void showReadouts(ScopeApp& app, const BarGraphPlan& g) {
    ui::Platform& ui = app.ui;
    const int main = app.panels.main;
    ui.setInt(main, MAIN_LEFTEDGE, g.leftEdge);
    ui.setInt(main, MAIN_RIGHTEDGE, g.rightEdge);
    ui.setInt(main, MAIN_MVALUE, g.measured);
    ui.setInt(main, MAIN_ANAVALUE, g.analog);
    ui.setInt(main, MAIN_ANAMAX, g.maximum);
    ui.setInt(main, MAIN_ANAMIN, g.minimum);
    ui.setInt(main, MAIN_DARKPIX, g.darkPixels);
    ui.setInt(main, MAIN_OUTLED_A, g.output1 ? 1 : 0);
    ui.setInt(main, MAIN_OUTLED_B, g.output2 ? 1 : 0);
    if (g.triggered.has_value()) {
        ui.setBackgroundColor(main, MAIN_DARKPIX, *g.triggered ? 0xC0C0C0 : 0xE0E0E0);
        ui.setInt(main, MAIN_TRIGLED, *g.triggered ? 1 : 0);
    }
    ui.setDouble(main, MAIN_TOLUP_MM, g.upperTolMm);
    ui.setDouble(main, MAIN_TOLLOW_MM, g.lowerTolMm);
    ui.setDouble(main, MAIN_MVALUE_MM, g.measuredMm);
    colourValueReadouts(app, g.outside);
    // The calibration steps capture the measured value while their box is ticked.
    const int calib = app.panels.calib;
    if (ui.getInt(calib, CAL_STEP1) == 1) ui.setInt(calib, CAL_CAPTURE1, g.measured);
    if (ui.getInt(calib, CAL_STEP2) == 1) ui.setInt(calib, CAL_CAPTURE2, g.measured);
}

void drawProfileMarks(ScopeApp& app, const BarGraphPlan& g) {
    ui::GraphWidget* graph = app.ui.graph(app.panels.main, MAIN_PROFILE);
    if (graph == nullptr) return;
    const ParamSet& p = app.sensor.params;
    graph->setXAxisManual(1.0, app.sensor.model.pixelCount);
    graph->setCursor(2, p.evalBegin, kProfileCursorY);
    graph->setCursor(3, p.evalEnd, kProfileCursorY);
    graph->deleteAllPlots();
    graph->setCursor(1, g.edgeCursor, kProfileCursorY);
    for (const PlotBand& b : g.edgeBands)
        graph->plotRectangle(b.x1, kEdgeBandLow, b.x2, kEdgeBandHigh, kRed, kRed);
    for (const PlotBand& b : g.windowBands)
        graph->plotRectangle(b.x1, kWindowBandLow, b.x2, kWindowBandHigh, kGreen, kGreen);
}

const ProfileArray& curveArray(const VideoBuffers& v, ThresholdCurve c) {
    switch (c) {
        case ThresholdCurve::Line:
            return v.thresholdLine;
        case ThresholdCurve::AutoCurve:
            return v.autoCurve;
        case ThresholdCurve::Array:
            break;
    }
    return v.thresholdArray;
}

}  // namespace

void PlotVIDEOBarGraph(ScopeApp& app, const RunRecord& run) {
    const PortSensor& s = app.sensor;
    const BarGraphPlan g = planBarGraph(run, s.params, s.model);
    showReadouts(app, g);
    drawProfileMarks(app, g);
    app.ui.setInt(app.panels.para2, P2_TEACHVAL, s.params.teachValue);
}

void PlotRAWGraph(ScopeApp& app, const RunRecord& run) {
    AppState& s = app.state;
    const int main = app.panels.main;
    const RollStep step = planRollStep(run, app.sensor.params, app.sensor.model.pixelCount);
    app.ui.setDouble(main, MAIN_TOLUP_MM, step.upperTolMm);
    app.ui.setDouble(main, MAIN_TOLLOW_MM, step.lowerTolMm);
    s.roll.push(step.sample);
    colourValueReadouts(app, step.outside);
    ui::GraphWidget* graph = app.ui.graph(main, MAIN_ROLLGRAPH);
    if (graph == nullptr) return;
    const bool zoom = app.ui.getInt(main, MAIN_ZOOMTOGGLE) != 0;
    const auto range = rollYRange(step, zoom, app.sensor.model.pixelCount);
    graph->setYAxisManual(range[0], range[1]);
    graph->setTraceCount(kRollTraces);
    graph->setPointsPerScreen(kRollPointsPerScreen);
    graph->plotStripChart(std::vector<double>(s.roll.values().begin(), s.roll.values().end()));
}

void drawVideoCycle(ScopeApp& app, const RunRecord& run, int& previousThdMode) {
    PortSensor& s = app.sensor;
    const int main = app.panels.main;
    ui::GraphWidget* graph = app.ui.graph(main, MAIN_VIDEOGRAPH);
    if (graph) graph->setXAxisManual(1.0, s.model.pixelCount);
    PlotVIDEOBarGraph(app, run);
    if (graph) graph->setYAxisManual(1.0, s.model.videoFullScale);
    const bool raw = app.ui.getInt(main, MAIN_RAWTOGGLE) != 0;
    // Raw binarises what is drawn; the stored profile stays as read, for later redraws.
    const ProfileArray drawn =
        raw ? binarised(s.video.video, rawThreshold(s.video, previousThdMode),
                        s.model.videoFullScale)
            : s.video.video;
    const int mode = app.ui.getInt(app.panels.para2, P2_VTHDMODE);
    previousThdMode = mode;
    PlotVIDEOCurve(app, drawn, curveArray(s.video, curveToDraw(mode, raw)), s.model.videoX);
}

void RestoreRollGraphTraces(ScopeApp& app) {
    ui::GraphWidget* g = app.ui.graph(app.panels.main, MAIN_ROLLGRAPH);
    if (!g) return;
    for (int trace = 1; trace <= 6; ++trace) {
        g->setTraceStyle(trace, 1);
        g->setTraceColor(trace, kRollTraceColors[trace - 1]);
    }
    g->setTraceCount(6);
}

}  // namespace korvo
