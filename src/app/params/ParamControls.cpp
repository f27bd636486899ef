#include "app/params/ParamControls.h"

#include <algorithm>
#include <vector>

#include "app/shell/CallbackRegistry.h"
#include "app/shell/Colors.h"
#include "app/shell/ControlIds.h"
#include "app/shell/ControlStates.h"
#include "app/help/HelpBox.h"
#include "app/shell/ScopeApp.h"
#include "app/measure/VideoPlot.h"
#include "ui/Events.h"
#include "ui/Graph.h"
#include "ui/Platform.h"

namespace korvo {
namespace {

using namespace ids;

// A control's help: the box goes offsetX to the right of the control (of its left edge when
// fromLeftEdge) and offsetY above its top.
struct ParamHelp {
    const char* callback;
    int offsetX;
    int offsetY;
    HelpBox box;
    bool fromLeftEdge;
    const char* text;  // nullptr: chosen at run time
};

constexpr ParamHelp kParamHelp[] = {
    {"CC_DROPevalmode", 20, 10, HelpBox::Normal, false,
     "EVALUATION-MODE:\nDrop-down element to select an\nevaluation mode at the KORVO-sensor."},
    {"CC_DROPintrgMode", 20, 5, HelpBox::Normal, false,
     "INTERNAL-TRIGG-MODE:\nDrop-down element to select an\ninternal trigger mode at the "
     "KORVO-sensor."},
    {"CC_NUMtrgPix", 20, 5, HelpBox::Normal, false,
     "MIN-TRIGGER-PIXEL:\nNumerical input to set the minimum \nnumber of dark-pixel for the "
     "internal-trigger \nevent at the KORVO-sensor."},
    {"CC_DROPhardware", 20, 10, HelpBox::Normal, false,
     "HARDWARE OPERATION-MODE:\nDrop-down element to enable or disable \nharware components "
     "e.g. the button or\npotentiometer at the KORVO-housing."},
    {"CC_DROPpolarity", 20, 10, HelpBox::Normal, false,
     "POLARITY:\nDrop-down element to change the polarity\n(0V,+24VDC) of the digital outputs "
     "OUTx,\nof the KORVO-sensor."},
    {"CC_DROPoutmode", 20, 10, HelpBox::Normal, false,
     "OUT-MODE:\nDrop-down element to select a working mode\nfor the digital outputs "
     "OUT0,OUT1,(OUT2),\nof the KORVO-sensor."},
    {"CC_DROPaverage", 20, 10, HelpBox::Large, false,
     "AVERAGE:\nNumber of CCD-scans which are stored\nin a ring-buffer. On each "
     "main-loop-cycle\na mean-value is calculated out of the\nthe ring-buffer.\nThe switching "
     "frequency is not reduced!\nAveraging affects the analog output\nvoltage "
     "(lowpass-behaviour)."},
    {"CC_DROPanaMode", 20, 10, HelpBox::Normal, false,
     "ANALOG-OUT:\nDrop-down element to preset the mode\nof the analog output. The "
     "analog-output\nis connected to /pin8/red/8-pole socket."},
    {"CC_DROPzoomMode", 20, 10, HelpBox::Normal, false,
     "ZOOM-MODE:\nDrop-down element to preset the zoom \nmode of the analog output. \n"},
    {"CC_NEDITToleranceUP", 20, 10, HelpBox::Normal, false,
     "TOLERANCE-HIGH:\nNumerical input field to preset the upper\ntolerance limit in [pixel] "
     "at the hardware."},
    {"CC_NEDITTolerance", 20, 10, HelpBox::Normal, false, nullptr},
    {"CC_SLIDEpower", 160, 10, HelpBox::Normal, false,
     "POWER:\nWith this slider, the power of the light-\nsource at the KORVO-sensor can be "
     "set."},
    {"CC_SLIDEVideoThreshold", 35, 10, HelpBox::Normal, false,
     "V-THD:\nWith this slider, the video-threshold for\nthe calculation of the edges can be "
     "set.\nIt is displayed by the green horiz. line!"},
    {"CC_BINSWopmode", 140, 10, HelpBox::Normal, false,
     "CCD-OPERATION-MODE:\nWith this binary-switch the operation mode for\nthe ccd-cmos "
     "receiver is set."},
    {"CC_DROP_FilterType", 20, 10, HelpBox::Normal, false,
     "SMOOTH-VIDEO-SIGNAL:\nActivate/Deactivate digital filtering of the\nvideo-signal.\nA "
     "moving average of n-th order is applied\nto the video-data."},
    {"CC_DROP_TrigMode", 20, 10, HelpBox::Normal, false,
     "EXT-IN0-TRIG-MODE:\nSelect a working-mode at KORVO-sensor\nfor external IN0 digital "
     "input <pin3> wire of \n8-pole. female connector."},
    {"CC_DROPvthdmode", 20, 10, HelpBox::Normal, false,
     "VIDEO-THD-MODE:\nFIXED: Horizontal video-threshold is used. \nAUTO:  Video-threshold is "
     "calculated from\nthe intensity profile."},
    {"CC_BINSWTarget", 55, 10, HelpBox::Normal, false,
     "TARGET SWITCH\nSelect storage location for video-threshold.\nRAM:    store in volatile "
     "RAM memory.\nEEPROM: store in nonvolatile EEPROM."},
    {"CC_CBTNSaveThreshold", 165, 10, HelpBox::Normal, false,
     "SAVE V-THD:\nWith this button the actual video-threshold\nis stored to the EEPROM of the "
     "sensor.\nATTENTION: LIGHT-MEASURING \nSECTION MUST BE FREE !"},
    {"CC_ButtonTeach", 100, 10, HelpBox::Normal, true,
     "TEACH-BUTTON:\nStart teach procedure at KORVO-sensor.\nThe actual pixel-position == "
     "teach value"},
    {"CC_NEDITTeach", 130, 5, HelpBox::Normal, false,
     "TEACH-VALUE [Pixel]:\nEdit-field to preset the pixel-position\nof the setpoint value == "
     "teach value."},
};

bool rightClickHelp(ScopeApp& app, int event, const char* name, int panel, int control) {
    if (event != ui::EVENT_RIGHT_CLICK) return false;
    ShowParamControlHelp(app, QString::fromLatin1(name), panel, control);
    return true;
}

// ---- trigger, hardware mode, analog output -------------------------------------------------

void triggerCoupling(ScopeApp& app) {
    ui::Platform& ui = app.ui;
    const int p1 = app.panels.para1;
    const bool on = ui.getInt(p1, P1_INTRGMODE) == 1;
    if (on) {
        ui.setInt(p1, P1_OUTMODE, app.state.model.hardwareType == 3 ? 3 : 1);
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

// The band must fit in the CCD line above the teach value: upper < pixel count - teach. A teach
// value at or beyond the end of the line leaves no room, and the field becomes 0 instead of
// wrapping round to a huge tolerance.
void clampUpperTolerance(ScopeApp& app) {
    const int p1 = app.panels.para1;
    const int teach = app.state.params.teachValue;
    const int pixels = app.state.model.pixelCount;
    int upper = app.ui.getInt(p1, P1_TOLUP) & 0xFFFF;
    if (teach + upper > pixels) upper = std::max(pixels - teach - 1, 0);
    app.ui.setInt(p1, P1_TOLUP, upper);
    toleranceDisplays(app);
}

// Below the teach value the band ends at pixel 1: lower < teach (0 for a teach value of 0).
void clampLowerTolerance(ScopeApp& app) {
    const int p1 = app.panels.para1;
    const int teach = app.state.params.teachValue;
    int lower = app.ui.getInt(p1, P1_TOLLOW) & 0xFFFF;
    if (lower > teach) lower = std::max(teach - 1, 0);
    app.ui.setInt(p1, P1_TOLLOW, lower);
    toleranceDisplays(app);
}

// ---- video threshold -----------------------------------------------------------------------

void plotWith(ScopeApp& app, const ProfileArray& curve) {
    PlotVIDEOCurve(app, app.state.video.video, curve, app.state.model.videoX);
}

// Fixed threshold: the whole line at video full scale x percent / 100.
void plotFixedThreshold(ScopeApp& app, std::uint16_t percent) {
    fillThresholdLine(app.state.video, app.state.model.videoFullScale, percent);
    plotWith(app, app.state.video.thresholdLine);
}

void thresholdModeSwitch(ScopeApp& app) {
    ui::Platform& ui = app.ui;
    const int p2 = app.panels.para2;
    const ParamSet& p = app.state.params;
    const int raw = ui.getInt(app.panels.main, MAIN_RAWTOGGLE);
    if (ui.getInt(p2, P2_VTHDMODE) == 0) {
        ui.setDimmed(p2, P2_SAVETHD, true);
        ui.setInt(p2, P2_VTHD, p.videoThdFix);
        plotFixedThreshold(app, p.videoThdFix);
    } else {
        ui.setDimmed(p2, P2_SAVETHD, false);
        ui.setInt(p2, P2_VTHD, p.videoThdAuto);
        plotWith(app, raw == 1 ? app.state.video.autoCurve : app.state.video.thresholdArray);
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
    VideoBuffers& v = app.state.video;
    fillAutoCurve(v, static_cast<std::uint16_t>(percent));
    ui::GraphWidget* g = ui.graph(main, MAIN_VIDEOGRAPH);
    if (!g) return;
    const std::vector<double> x(app.state.model.videoX.begin(), app.state.model.videoX.end());
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
    app.sensor.readBlockRun(app.state.link.portNumber, 0);
    app.state.link.stopFlag = kStopByUser;
    app.pump.processEvents();
}

// ---- CCD operation mode --------------------------------------------------------------------

void thresholdCoupling(ScopeApp& app) {
    // Only the newer families have a digital comparison mode that bypasses the threshold.
    if (app.state.model.familyCode <= 100) return;
    ui::Platform& ui = app.ui;
    const int p2 = app.panels.para2;
    const ParamSet& p = app.state.params;
    const int ccdMode = ui.getInt(app.panels.calib, CAL_CCDMODE);
    // Digital comparison (1) works with the fixed threshold only; otherwise the parameter set's
    // threshold mode comes back.
    const bool fixed = ccdMode == 1 || p.videoThdMode == 0;
    ui.setInt(p2, P2_VTHD, fixed ? p.videoThdFix : p.videoThdAuto);
    ui.setInt(p2, P2_VTHDMODE, ccdMode == 1 ? 0 : p.videoThdMode);
    if (fixed) {
        plotFixedThreshold(app, p.videoThdFix);
    } else {
        plotWith(app, app.state.video.thresholdArray);
    }
    ApplyCcdOperationMode(app, ccdMode);
}

// ---- controls with help only ---------------------------------------------------------------

template <const char* Name>
int helpOnly(ScopeApp& app, int panel, int control, int event, void*, int, int) {
    rightClickHelp(app, event, Name, panel, control);
    return 0;
}

constexpr char kTarget[] = "CC_BINSWTarget";
constexpr char kSaveThreshold[] = "CC_CBTNSaveThreshold";
constexpr char kTeachButton[] = "CC_ButtonTeach";
constexpr char kTeachValue[] = "CC_NEDITTeach";

}  // namespace

QString lowerToleranceHelpText(int firmwareVersion) {
    if (firmwareVersion <= 302)
        return QStringLiteral(
            "TOLERANCE-VALUE:\nNumerical input field to preset the lower\nand upper tolerance "
            "limit in [pixel] \nat the hardware.");
    return QStringLiteral(
        "TOLERANCE-LOW:\nNumerical input field to preset the lower\ntolerance limit in [pixel] "
        "at the hardware.");
}

bool ShowParamControlHelp(ScopeApp& app, const QString& callback, int panel, int control) {
    for (const ParamHelp& h : kParamHelp) {
        if (callback != QLatin1String(h.callback)) continue;
        const QRect r = ctrlRectInMain(app, panel, control);
        const int left = r.left() + (h.fromLeftEdge ? 0 : r.width()) + h.offsetX;
        const QString text = h.text ? QString::fromLatin1(h.text)
                                    : lowerToleranceHelpText(app.state.model.firmwareVersion);
        ToggleHelpBox(app, h.box, left, r.top() - h.offsetY, text);
        return true;
    }
    return false;
}

int CC_DROPevalmode(ScopeApp& app, int panel, int control, int event, void*, int, int) {
    rightClickHelp(app, event, "CC_DROPevalmode", panel, control);
    return 0;
}

int CC_DROPintrgMode(ScopeApp& app, int panel, int control, int event, void*, int, int) {
    if (rightClickHelp(app, event, "CC_DROPintrgMode", panel, control)) return 0;
    if (event == ui::EVENT_VAL_CHANGED) triggerCoupling(app);
    return 0;
}

int CC_NUMtrgPix(ScopeApp& app, int panel, int control, int event, void*, int, int) {
    rightClickHelp(app, event, "CC_NUMtrgPix", panel, control);
    return 0;
}

int CC_DROPhardware(ScopeApp& app, int panel, int control, int event, void*, int, int) {
    if (rightClickHelp(app, event, "CC_DROPhardware", panel, control)) return 0;
    if (event == ui::EVENT_COMMIT) toleranceDimming(app);
    return 0;
}

int CC_DROPpolarity(ScopeApp& app, int panel, int control, int event, void*, int, int) {
    rightClickHelp(app, event, "CC_DROPpolarity", panel, control);
    return 0;
}

int CC_DROPoutmode(ScopeApp& app, int panel, int control, int event, void*, int, int) {
    rightClickHelp(app, event, "CC_DROPoutmode", panel, control);
    return 0;
}

int CC_DROPaverage(ScopeApp& app, int panel, int control, int event, void*, int, int) {
    rightClickHelp(app, event, "CC_DROPaverage", panel, control);
    return 0;
}

int CC_DROPanaMode(ScopeApp& app, int panel, int control, int event, void*, int, int) {
    if (rightClickHelp(app, event, "CC_DROPanaMode", panel, control)) return 0;
    if (event == ui::EVENT_COMMIT) analogIndicators(app);
    return 0;
}

int CC_DROPzoomMode(ScopeApp& app, int panel, int control, int event, void*, int, int) {
    rightClickHelp(app, event, "CC_DROPzoomMode", panel, control);
    return 0;
}

int CC_NEDITToleranceUP(ScopeApp& app, int panel, int control, int event, void*, int, int) {
    if (rightClickHelp(app, event, "CC_NEDITToleranceUP", panel, control)) return 0;
    if (event == ui::EVENT_VAL_CHANGED) clampUpperTolerance(app);
    return 0;
}

int CC_NEDITTolerance(ScopeApp& app, int panel, int control, int event, void*, int, int) {
    if (rightClickHelp(app, event, "CC_NEDITTolerance", panel, control)) return 0;
    if (event == ui::EVENT_VAL_CHANGED) clampLowerTolerance(app);
    return 0;
}

int CC_SLIDEpower(ScopeApp& app, int panel, int control, int event, void*, int, int) {
    rightClickHelp(app, event, "CC_SLIDEpower", panel, control);
    return 0;
}

int CC_SLIDEVideoThreshold(ScopeApp& app, int panel, int control, int event, void*, int, int) {
    if (rightClickHelp(app, event, "CC_SLIDEVideoThreshold", panel, control)) return 0;
    if (event == ui::EVENT_LEFT_CLICK) autoFetch(app);
    if (event == ui::EVENT_COMMIT) thresholdRedraw(app);
    return 0;
}

int CC_BINSWopmode(ScopeApp& app, int panel, int control, int event, void*, int, int) {
    if (rightClickHelp(app, event, "CC_BINSWopmode", panel, control)) return 0;
    if (event == ui::EVENT_VAL_CHANGED) thresholdCoupling(app);
    return 0;
}

int CC_DROP_FilterType(ScopeApp& app, int panel, int control, int event, void*, int, int) {
    rightClickHelp(app, event, "CC_DROP_FilterType", panel, control);
    return 0;
}

int CC_DROP_TrigMode(ScopeApp& app, int panel, int control, int event, void*, int, int) {
    rightClickHelp(app, event, "CC_DROP_TrigMode", panel, control);
    return 0;
}

int CC_DROPvthdmode(ScopeApp& app, int panel, int control, int event, void*, int, int) {
    if (rightClickHelp(app, event, "CC_DROPvthdmode", panel, control)) return 0;
    if (event == ui::EVENT_COMMIT) thresholdModeSwitch(app);
    return 0;
}

void registerParamControlCallbacks(ScopeApp& app) {
    const struct {
        const char* name;
        AppCallback fn;
    } callbacks[] = {
        {"CC_DROPevalmode", CC_DROPevalmode},
        {"CC_DROPintrgMode", CC_DROPintrgMode},
        {"CC_NUMtrgPix", CC_NUMtrgPix},
        {"CC_DROPhardware", CC_DROPhardware},
        {"CC_DROPpolarity", CC_DROPpolarity},
        {"CC_DROPoutmode", CC_DROPoutmode},
        {"CC_DROPaverage", CC_DROPaverage},
        {"CC_DROPanaMode", CC_DROPanaMode},
        {"CC_DROPzoomMode", CC_DROPzoomMode},
        {"CC_NEDITToleranceUP", CC_NEDITToleranceUP},
        {"CC_NEDITTolerance", CC_NEDITTolerance},
        {"CC_SLIDEpower", CC_SLIDEpower},
        {"CC_SLIDEVideoThreshold", CC_SLIDEVideoThreshold},
        {"CC_BINSWopmode", CC_BINSWopmode},
        {"CC_DROP_FilterType", CC_DROP_FilterType},
        {"CC_DROP_TrigMode", CC_DROP_TrigMode},
        {"CC_DROPvthdmode", CC_DROPvthdmode},
        {kTarget, helpOnly<kTarget>},
        {kSaveThreshold, helpOnly<kSaveThreshold>},
        {kTeachButton, helpOnly<kTeachButton>},
        {kTeachValue, helpOnly<kTeachValue>},
    };
    for (const auto& c : callbacks) bindCallback(app, QString::fromLatin1(c.name), c.fn);
}

}  // namespace korvo
