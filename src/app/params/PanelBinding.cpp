#include "app/params/PanelBinding.h"

#include <cstdint>

#include "app/measure/VideoPlot.h"
#include "app/shell/ControlIds.h"
#include "app/shell/ControlStates.h"
#include "app/shell/ScopeApp.h"
#include "core/params/VideoBuffers.h"
#include "core/sensorfn/Calibration.h"
#include "ui/Graph.h"
#include "ui/Platform.h"

namespace korvo {
namespace {

using namespace ids;

constexpr double kCursorY = 0.75;
constexpr QRgb kPixelAreaColor = 0xA0A0A0;

// One bound control and the parameter field it shows. Writing the panels and reading them back
// both walk this table, so a control is always read into the field it was filled from. Beside it:
// the video threshold slider, which shows the fixed or the automatic threshold by mode (written
// with the mode's curve in videoThresholdMode), and the calibration fields, which show converted
// values.
struct BoundField {
    int Panels::*panel;
    int control;
    std::uint16_t ParamSet::*field;
};

constexpr BoundField kBoundFields[] = {
    {&Panels::para1, P1_EVALMODE, &ParamSet::evalMode},
    {&Panels::para1, P1_TRGPIX, &ParamSet::triggerPixel},
    {&Panels::para1, P1_TOLLOW, &ParamSet::lowerTolerance},
    {&Panels::para1, P1_INTRGMODE, &ParamSet::intTriggerMode},
    {&Panels::para1, P1_OUTMODE, &ParamSet::digitalOutMode},
    {&Panels::para1, P1_POLARITY, &ParamSet::polarity},
    {&Panels::para1, P1_ZOOMMODE, &ParamSet::analogZoomMode},
    {&Panels::para1, P1_AVERAGE, &ParamSet::average},
    {&Panels::para1, P1_ANAMODE, &ParamSet::analogOutMode},
    {&Panels::para1, P1_TOLUP, &ParamSet::upperTolerance},
    {&Panels::para2, P2_POWER, &ParamSet::power},
    {&Panels::para2, P2_VTHDMODE, &ParamSet::videoThdMode},
    {&Panels::para2, P2_TRIGMODE, &ParamSet::extTriggerMode},
    {&Panels::para2, P2_FILTER, &ParamSet::filterType},
    {&Panels::para2, P2_HWMODE, &ParamSet::hardwareMode},
    {&Panels::para2, P2_TEACHVAL, &ParamSet::teachValue},
    {&Panels::recorder, REC_RS232MODE, &ParamSet::rs232Mode},
    {&Panels::connect, CON_BAUD, &ParamSet::rs232Baudrate},
    {&Panels::main, MAIN_EDGELEFT, &ParamSet::evalBegin},
    {&Panels::main, MAIN_EDGERIGHT, &ParamSet::evalEnd},
    {&Panels::calib, CAL_CCDMODE, &ParamSet::ccdOperationMode},
};

std::uint16_t u16(int value) {
    return static_cast<std::uint16_t>(value);
}

// The controls hold single-precision floats; the arithmetic follows what they can hold.
double asFloat(double value) {
    return static_cast<double>(static_cast<float>(value));
}

void writeBoundControls(ScopeApp& app) {
    const ParamSet& p = app.sensor.params;
    for (const BoundField& b : kBoundFields)
        app.ui.setInt(app.panels.*b.panel, b.control, p.*b.field);
    app.ui.setDouble(app.panels.calib, CAL_SLOPE, slopeFromUmSlope(p.umSlope));
    app.ui.setDouble(app.panels.calib, CAL_OFFSET, offsetFromUmOffset(p.umOffset));
}

void readBoundControls(ScopeApp& app) {
    const ui::Platform& ui = app.ui;
    const Panels& pn = app.panels;
    ParamSet& p = app.sensor.params;
    for (const BoundField& b : kBoundFields) p.*b.field = u16(ui.getInt(pn.*b.panel, b.control));
    // The slider holds the threshold of the mode just read.
    std::uint16_t& threshold = p.videoThdMode != 0 ? p.videoThdAuto : p.videoThdFix;
    threshold = u16(ui.getInt(pn.para2, P2_VTHD));
    p.umSlope = umSlopeFromSlope(asFloat(ui.getDouble(pn.calib, CAL_SLOPE)));
    p.umOffset = umOffsetFromOffset(asFloat(ui.getDouble(pn.calib, CAL_OFFSET)));
}

void videoThresholdMode(ScopeApp& app) {
    ui::Platform& ui = app.ui;
    PortSensor& s = app.sensor;
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
    const ParamSet& p = app.sensor.params;
    DimToleranceFields(app, p.hardwareMode == 1 || p.hardwareMode == 3);
    ShowAnalogIndicators(app, p.analogOutMode > 0);
    app.ui.setDimmed(app.panels.recorder, REC_INCTIME, p.rs232Mode != 0);
}

void profileGraph(ScopeApp& app) {
    ui::Platform& ui = app.ui;
    const int main = app.panels.main;
    const ParamSet& p = app.sensor.params;
    const double pixels = app.sensor.model.pixelCount;

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
    PortSensor& s = app.sensor;
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
    PortSensor& s = app.sensor;
    ParamSet& p = s.params;
    readBoundControls(app);

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
