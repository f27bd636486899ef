#include "app/params/ParamControls.h"

#include <algorithm>
#include <vector>

#include "app/measure/VideoPlot.h"
#include "app/shell/CallbackRegistry.h"
#include "app/shell/Colors.h"
#include "app/shell/ControlIds.h"
#include "app/shell/ControlStates.h"
#include "app/shell/ScopeApp.h"
#include "ui/Events.h"
#include "ui/Graph.h"
#include "ui/Platform.h"

namespace korvo {
namespace {

using namespace ids;

// ---- trigger, hardware mode, analog output -------------------------------------------------

void triggerCoupling(ScopeApp& app) {
    ui::Platform& ui = app.ui;
    const int p1 = app.panels.para1;
    const bool on = ui.getInt(p1, P1_INTRGMODE) == 1;
    if (on) {
        ui.setInt(p1, P1_OUTMODE, app.sensor.model.hardwareType == 3 ? 3 : 1);
    } else {
        ui.setInt(p1, P1_OUTMODE, 0);
    }
    ui.setDimmed(p1, P1_TRGPIX, !on);
    ShowTriggerIndicators(app, on);
}

void toleranceDimming(ScopeApp& app) {
    const int mode = app.ui.getInt(app.panels.para2, P2_HWMODE);
    DimToleranceFields(app, mode == 1 || mode == 3);
}

void analogIndicators(ScopeApp& app) {
    ShowAnalogIndicators(app, app.ui.getInt(app.panels.para1, P1_ANAMODE) > 0);
}

// ---- tolerances ----------------------------------------------------------------------------

void toleranceDisplays(ScopeApp& app) {
    const int p1 = app.panels.para1;
    ShowToleranceLimits(app, app.ui.getInt(p1, P1_TOLUP), app.ui.getInt(p1, P1_TOLLOW));
}

void clampUpperTolerance(ScopeApp& app) {
    const int p1 = app.panels.para1;
    app.ui.setInt(p1, P1_TOLUP,
                  upperToleranceField(app.ui.getInt(p1, P1_TOLUP), app.sensor.params.teachValue,
                                      app.sensor.model.pixelCount));
    toleranceDisplays(app);
}

void clampLowerTolerance(ScopeApp& app) {
    const int p1 = app.panels.para1;
    app.ui.setInt(p1, P1_TOLLOW,
                  lowerToleranceField(app.ui.getInt(p1, P1_TOLLOW), app.sensor.params.teachValue));
    toleranceDisplays(app);
}

// ---- video threshold -----------------------------------------------------------------------

void plotWith(ScopeApp& app, const ProfileArray& curve) {
    PlotVIDEOCurve(app, app.sensor.video.video, curve, app.sensor.model.videoX);
}

// Fixed threshold: the whole line at video full scale x percent / 100.
void plotFixedThreshold(ScopeApp& app, std::uint16_t percent) {
    fillThresholdLine(app.sensor.video, app.sensor.model.videoFullScale, percent);
    plotWith(app, app.sensor.video.thresholdLine);
}

void thresholdModeSwitch(ScopeApp& app) {
    ui::Platform& ui = app.ui;
    const int p2 = app.panels.para2;
    const ParamSet& p = app.sensor.params;
    const int raw = ui.getInt(app.panels.main, MAIN_RAWTOGGLE);
    if (ui.getInt(p2, P2_VTHDMODE) == 0) {
        ui.setDimmed(p2, P2_SAVETHD, true);
        ui.setInt(p2, P2_VTHD, p.videoThdFix);
        plotFixedThreshold(app, p.videoThdFix);
    } else {
        ui.setDimmed(p2, P2_SAVETHD, false);
        ui.setInt(p2, P2_VTHD, p.videoThdAuto);
        plotWith(app, raw == 1 ? app.sensor.video.autoCurve : app.sensor.video.thresholdArray);
    }
}

std::vector<double> asDoubles(const ProfileArray& a) {
    return {a.begin(), a.end()};
}

void thresholdRedraw(ScopeApp& app) {
    ui::Platform& ui = app.ui;
    const int main = app.panels.main;
    const int p2 = app.panels.para2;
    ui.setVisible(main, MAIN_VIDEOGRAPH, true);
    ui.setVisible(main, MAIN_ROLLGRAPH, false);
    ui.setVisible(main, MAIN_GRAPH256, false);
    const int percent = ui.getInt(p2, P2_VTHD);
    if (ui.getInt(p2, P2_VTHDMODE) == 0) {
        plotFixedThreshold(app, static_cast<std::uint16_t>(percent));
        return;
    }
    VideoBuffers& v = app.sensor.video;
    fillAutoCurve(v, static_cast<std::uint16_t>(percent));
    ui::GraphWidget* g = ui.graph(main, MAIN_VIDEOGRAPH);
    if (!g) return;
    const std::vector<double> x(app.sensor.model.videoX.begin(), app.sensor.model.videoX.end());
    g->deleteAllPlots();
    g->plotXY(x, asDoubles(v.video), kRed);
    g->plotXY(x, asDoubles(v.thresholdArray), kDarkGreen);
    g->plotXY(x, asDoubles(v.autoCurve), kDarkGreen, ui::PlotStyle::Dashed);
    g->refresh();
}

// The profile is read in four 64-word blocks with the receive callback off; the run puts the
// callback back whatever the outcome.
void autoFetch(ScopeApp& app) {
    if (app.ui.getInt(app.panels.para2, P2_VTHDMODE) != 1) return;
    app.sensor.readBlockRun(app.sensor.link.portNumber, 0);
    app.sensor.link.stopFlag = kStopByUser;
    app.pump.processEvents();
}

// ---- CCD operation mode --------------------------------------------------------------------

void thresholdCoupling(ScopeApp& app) {
    // Only the newer families have a digital comparison mode that bypasses the threshold.
    if (app.sensor.model.familyCode <= 100) return;
    ui::Platform& ui = app.ui;
    const int p2 = app.panels.para2;
    const ParamSet& p = app.sensor.params;
    const int ccdMode = ui.getInt(app.panels.calib, CAL_CCDMODE);
    // Digital comparison (1) works with the fixed threshold only; otherwise the parameter set's
    // threshold mode comes back.
    const bool fixed = ccdMode == 1 || p.videoThdMode == 0;
    ui.setInt(p2, P2_VTHD, fixed ? p.videoThdFix : p.videoThdAuto);
    ui.setInt(p2, P2_VTHDMODE, ccdMode == 1 ? 0 : p.videoThdMode);
    if (fixed) {
        plotFixedThreshold(app, p.videoThdFix);
    } else {
        plotWith(app, app.sensor.video.thresholdArray);
    }
    ApplyCcdOperationMode(app, ccdMode);
}

}  // namespace

int CC_DROPintrgMode(ScopeApp& app, int, int, int event, void*, int, int) {
    if (event == ui::EVENT_VAL_CHANGED) triggerCoupling(app);
    return 0;
}

int CC_DROPhardware(ScopeApp& app, int, int, int event, void*, int, int) {
    if (event == ui::EVENT_COMMIT) toleranceDimming(app);
    return 0;
}

int CC_DROPanaMode(ScopeApp& app, int, int, int event, void*, int, int) {
    if (event == ui::EVENT_COMMIT) analogIndicators(app);
    return 0;
}

int CC_NEDITToleranceUP(ScopeApp& app, int, int, int event, void*, int, int) {
    if (event == ui::EVENT_VAL_CHANGED) clampUpperTolerance(app);
    return 0;
}

int CC_NEDITTolerance(ScopeApp& app, int, int, int event, void*, int, int) {
    if (event == ui::EVENT_VAL_CHANGED) clampLowerTolerance(app);
    return 0;
}

int CC_SLIDEVideoThreshold(ScopeApp& app, int, int, int event, void*, int, int) {
    if (event == ui::EVENT_LEFT_CLICK) autoFetch(app);
    if (event == ui::EVENT_COMMIT) thresholdRedraw(app);
    return 0;
}

int CC_BINSWopmode(ScopeApp& app, int, int, int event, void*, int, int) {
    if (event == ui::EVENT_VAL_CHANGED) thresholdCoupling(app);
    return 0;
}

int CC_DROPvthdmode(ScopeApp& app, int, int, int event, void*, int, int) {
    if (event == ui::EVENT_COMMIT) thresholdModeSwitch(app);
    return 0;
}

void registerParamControlCallbacks(ScopeApp& app) {
    const struct {
        const char* name;
        AppCallback fn;
    } callbacks[] = {
        {"CC_DROPintrgMode", CC_DROPintrgMode},
        {"CC_DROPhardware", CC_DROPhardware},
        {"CC_DROPanaMode", CC_DROPanaMode},
        {"CC_NEDITToleranceUP", CC_NEDITToleranceUP},
        {"CC_NEDITTolerance", CC_NEDITTolerance},
        {"CC_SLIDEVideoThreshold", CC_SLIDEVideoThreshold},
        {"CC_BINSWopmode", CC_BINSWopmode},
        {"CC_DROPvthdmode", CC_DROPvthdmode},
    };
    for (const auto& c : callbacks) bindCallback(app, QString::fromLatin1(c.name), c.fn);
}

}  // namespace korvo
