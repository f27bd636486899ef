#include "app/params/PanelBinding.h"

#include <cstdint>

#include "app/shell/ControlIds.h"
#include "app/shell/ControlStates.h"
#include "app/shell/ScopeApp.h"
#include "app/measure/VideoPlot.h"
#include "core/params/VideoBuffers.h"
#include "core/sensorfn/Calibration.h"
#include "ui/Graph.h"
#include "ui/Platform.h"

namespace korvo {
namespace {

using namespace ids;

constexpr double kCursorY = 0.75;
constexpr QRgb kPixelAreaColor = 0xA0A0A0;

std::uint16_t u16(int value) {
    return static_cast<std::uint16_t>(value);
}

// The controls hold single-precision floats; the arithmetic follows what they can hold.
double asFloat(double value) {
    return static_cast<double>(static_cast<float>(value));
}

void writeBoundControls(ScopeApp& app) {
    ui::Platform& ui = app.ui;
    const Panels& pn = app.panels;
    const ParamSet& p = app.state.params;

    ui.setInt(pn.para1, P1_EVALMODE, p.evalMode);
    ui.setInt(pn.para1, P1_TRGPIX, p.triggerPixel);
    ui.setInt(pn.para1, P1_TOLLOW, p.lowerTolerance);
    ui.setInt(pn.para1, P1_INTRGMODE, p.intTriggerMode);
    ui.setInt(pn.para1, P1_OUTMODE, p.digitalOutMode);
    ui.setInt(pn.para1, P1_POLARITY, p.polarity);
    ui.setInt(pn.para1, P1_ZOOMMODE, p.analogZoomMode);
    ui.setInt(pn.para1, P1_AVERAGE, p.average);
    ui.setInt(pn.para1, P1_ANAMODE, p.analogOutMode);
    ui.setInt(pn.para1, P1_TOLUP, p.upperTolerance);

    ui.setInt(pn.para2, P2_POWER, p.power);
    ui.setInt(pn.para2, P2_VTHD, p.videoThdFix);
    ui.setInt(pn.para2, P2_VTHDMODE, p.videoThdMode);
    ui.setInt(pn.para2, P2_TRIGMODE, p.extTriggerMode);
    ui.setInt(pn.para2, P2_FILTER, p.filterType);
    ui.setInt(pn.para2, P2_HWMODE, p.hardwareMode);
    ui.setInt(pn.para2, P2_TEACHVAL, p.teachValue);

    ui.setInt(pn.recorder, REC_RS232MODE, p.rs232Mode);
    ui.setInt(pn.connect, CON_BAUD, p.rs232Baudrate);
    ui.setInt(pn.main, MAIN_EDGELEFT, p.evalBegin);
    ui.setInt(pn.main, MAIN_EDGERIGHT, p.evalEnd);
    ui.setInt(pn.calib, CAL_CCDMODE, p.ccdOperationMode);

    ui.setDouble(pn.calib, CAL_SLOPE, slopeFromUmSlope(p.umSlope));
    ui.setDouble(pn.calib, CAL_OFFSET, offsetFromUmOffset(p.umOffset));
}

void videoThresholdMode(ScopeApp& app) {
    ui::Platform& ui = app.ui;
    AppState& s = app.state;
    const int p2 = app.panels.para2;
    if (s.params.videoThdMode == 0) {
        ui.setInt(p2, P2_VTHD, s.params.videoThdFix);
        ui.setDimmed(p2, P2_SAVETHD, true);
        fillThresholdLine(s.video, s.model.videoFullScale, s.params.videoThdFix);
        PlotVIDEOCurve(app, s.video.video, s.video.thresholdLine, s.model.videoX);
    } else {
        ui.setInt(p2, P2_VTHD, s.params.videoThdAuto);
        ui.setDimmed(p2, P2_SAVETHD, false);
        PlotVIDEOCurve(app, s.video.video, s.video.thresholdArray, s.model.videoX);
    }
}

// Hardware mode 1 or 3 takes the tolerances from the sensor's own controls; the analog readouts
// exist only with an analog output mode; a recorder that paces itself has no time interval.
void dependentControls(ScopeApp& app) {
    const ParamSet& p = app.state.params;
    DimToleranceFields(app, p.hardwareMode == 1 || p.hardwareMode == 3);
    ShowAnalogIndicators(app, p.analogOutMode > 0);
    app.ui.setDimmed(app.panels.recorder, REC_INCTIME, p.rs232Mode != 0);
}

void profileGraph(ScopeApp& app) {
    ui::Platform& ui = app.ui;
    const int main = app.panels.main;
    const ParamSet& p = app.state.params;
    const double pixels = app.state.model.pixelCount;

    ui::GraphWidget* graph = ui.graph(main, MAIN_PROFILE);
    if (graph != nullptr) graph->setXAxisManual(1.0, pixels);
    ShowToleranceLimits(app, p.upperTolerance, p.lowerTolerance);
    if (graph == nullptr) return;
    graph->setCursor(2, p.evalBegin, kCursorY);
    graph->setCursor(3, p.evalEnd, kCursorY);
    // The pixel area is drawn on every refresh; the one drawn by the previous refresh goes first,
    // so repeated refreshes do not pile rectangles up.
    for (const ui::GraphRect& r : std::vector<ui::GraphRect>(graph->model().rects)) {
        if (r.outline == kPixelAreaColor && r.fill == kPixelAreaColor && r.x1 == 0.0 && r.y1 == 0.0)
            graph->deletePlot(r.handle);
    }
    graph->plotRectangle(0.0, 0.0, pixels, 1.0, kPixelAreaColor, kPixelAreaColor);
}

}  // namespace

void SetPanelValues(ScopeApp& app) {
    AppState& s = app.state;
    applyRanges(s.params, s.model.pixelCount);
    writeBoundControls(app);
    recomputeToleranceBand(s.params, s.model.pixelCount, s.band);
    videoThresholdMode(app);
    ApplyCcdOperationMode(app, s.params.ccdOperationMode);
    // The output mode forced here reaches the parameter set with the next panel read.
    ApplyInternalTriggerState(app, s.params.intTriggerMode > 0);
    dependentControls(app);
    fillThresholdLine(s.video, s.model.videoFullScale, s.params.videoThdFix);
    recomputeToleranceBand(s.params, s.model.pixelCount, s.band);
    profileGraph(app);
}

void GetPanelValues(ScopeApp& app) {
    ui::Platform& ui = app.ui;
    const Panels& pn = app.panels;
    AppState& s = app.state;
    ParamSet& p = s.params;

    p.evalBegin = u16(ui.getInt(pn.main, MAIN_EDGELEFT));
    p.evalEnd = u16(ui.getInt(pn.main, MAIN_EDGERIGHT));
    p.polarity = u16(ui.getInt(pn.para1, P1_POLARITY));
    p.digitalOutMode = u16(ui.getInt(pn.para1, P1_OUTMODE));
    p.evalMode = u16(ui.getInt(pn.para1, P1_EVALMODE));
    p.upperTolerance = u16(ui.getInt(pn.para1, P1_TOLUP));
    p.lowerTolerance = u16(ui.getInt(pn.para1, P1_TOLLOW));
    p.average = u16(ui.getInt(pn.para1, P1_AVERAGE));
    p.analogOutMode = u16(ui.getInt(pn.para1, P1_ANAMODE));
    p.analogZoomMode = u16(ui.getInt(pn.para1, P1_ZOOMMODE));
    p.intTriggerMode = u16(ui.getInt(pn.para1, P1_INTRGMODE));
    p.triggerPixel = u16(ui.getInt(pn.para1, P1_TRGPIX));
    p.extTriggerMode = u16(ui.getInt(pn.para2, P2_TRIGMODE));
    p.power = u16(ui.getInt(pn.para2, P2_POWER));
    p.videoThdMode = u16(ui.getInt(pn.para2, P2_VTHDMODE));
    p.teachValue = u16(ui.getInt(pn.para2, P2_TEACHVAL));
    p.hardwareMode = u16(ui.getInt(pn.para2, P2_HWMODE));
    p.filterType = u16(ui.getInt(pn.para2, P2_FILTER));
    p.rs232Mode = u16(ui.getInt(pn.recorder, REC_RS232MODE));
    p.rs232Baudrate = u16(ui.getInt(pn.connect, CON_BAUD));

    const std::uint16_t threshold = u16(ui.getInt(pn.para2, P2_VTHD));
    if (p.videoThdMode != 0) {
        p.videoThdAuto = threshold;
    } else {
        p.videoThdFix = threshold;
    }

    p.ccdOperationMode = u16(ui.getInt(pn.calib, CAL_CCDMODE));
    const double offset = asFloat(ui.getDouble(pn.calib, CAL_OFFSET));
    const double slope = asFloat(ui.getDouble(pn.calib, CAL_SLOPE));
    p.umSlope = umSlopeFromSlope(slope);
    p.umOffset = umOffsetFromOffset(offset);

    // The tolerance lines and the threshold line follow the new values; the teach line keeps
    // what it showed until the next full refresh.
    const ProfileArray teachLine = s.band.teachLine;
    recomputeToleranceBand(p, s.model.pixelCount, s.band);
    s.band.teachLine = teachLine;
    fillThresholdLine(s.video, s.model.videoFullScale, p.videoThdFix);
}

void DimmButtons(ScopeApp& app, std::uint16_t state) {
    const bool dim = state >= 1;
    for (int c : {MAIN_SEND, MAIN_GET, MAIN_VIDEO, MAIN_RUN, MAIN_RESET})
        app.ui.setDimmed(app.panels.main, c, dim);
    app.ui.setDimmed(app.panels.para2, P2_TEACH, dim);
}

}  // namespace korvo
