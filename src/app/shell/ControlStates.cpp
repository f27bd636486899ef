#include "app/shell/ControlStates.h"

#include <cstdint>
#include <initializer_list>

#include "app/shell/ScopeApp.h"
#include "core/measure/ToleranceLimits.h"
#include "ui/Platform.h"

namespace korvo {
namespace {

using namespace ids;

template <size_t N>
void showAll(ScopeApp& app, const int (&ctrls)[N], bool visible) {
    for (int c : ctrls) app.ui.setVisible(app.panels.main, c, visible);
}

void videoThreshold(ScopeApp& app) {
    const int p2 = app.panels.para2;
    if (app.ui.getInt(p2, P2_VTHDMODE) == 0) {
        app.ui.setDimmed(p2, P2_SAVETHD, true);
        return;
    }
    app.ui.setDimmed(p2, P2_SAVETHD, false);
    if (app.hooks.getEEThreshold) app.hooks.getEEThreshold();
    app.sensor.video.autoCurve = app.sensor.video.thresholdArray;
    app.ui.setText(app.panels.main, MAIN_STATUS, app.sensor.link.firmwareText);
}

}  // namespace

void ApplyRecorderModeDims(ScopeApp& app) {
    const int rec = app.panels.recorder;
    const int mode = app.ui.getInt(rec, REC_RS232MODE);
    const bool triggered = mode == 2 || mode == 3;  // the sensor paces the samples itself
    app.ui.setDimmed(rec, REC_INCTIME, triggered || mode == 1);
    for (int c : {REC_SAMPLES, REC_START, REC_STOPREC, REC_FILEBTN})
        app.ui.setDimmed(rec, c, triggered);
}

namespace {

void helpBoxes(ScopeApp& app) {
    ui::Platform& ui = app.ui;
    const int main = app.panels.main;
    for (int c : {MAIN_HELP, MAIN_HELPLARGE}) {
        ui.setCtrlPos(main, c, 10, 110);
        ui.setVisible(main, c, false);
    }
    ui.setVisible(app.panels.connect, CON_HELP, false);
    ui.resetTextBox(main, MAIN_HELP, QStringLiteral("HELPTEXT1"));
    ui.resetTextBox(main, MAIN_HELPLARGE, QStringLiteral("HELPTEXT2"));
    ui.resetTextBox(app.panels.connect, CON_HELP, QStringLiteral("HELPTEXT3"));
}

}  // namespace

void ShowTriggerIndicators(ScopeApp& app, bool visible) {
    showAll(app, kTriggerIndicators, visible);
}

void ShowAnalogIndicators(ScopeApp& app, bool visible) {
    showAll(app, kAnalogIndicators, visible);
}

void ApplyInternalTriggerState(ScopeApp& app, bool on) {
    ui::Platform& ui = app.ui;
    const int p1 = app.panels.para1;
    const int hwType = app.sensor.model.hardwareType;
    if (on) {
        if (hwType == 3) {
            ui.setInt(p1, P1_OUTMODE, 3);
            ui.setDimmed(p1, P1_OUTMODE, true);
        } else if (hwType == 1) {
            ui.setDimmed(p1, P1_OUTMODE, false);
        }
    } else {
        if (hwType == 1) ui.setInt(p1, P1_OUTMODE, 0);
        ui.setDimmed(p1, P1_OUTMODE, true);
    }
    ui.setDimmed(p1, P1_TRGPIX, !on);
    ShowTriggerIndicators(app, on);
}

void ApplyCcdOperationMode(ScopeApp& app, int ccdMode) {
    // Only the newer families have a digital comparison mode that bypasses the threshold.
    if (app.sensor.model.familyCode <= 100) return;
    ui::Platform& ui = app.ui;
    const int p2 = app.panels.para2;
    if (ccdMode == 1) {
        for (int c : {P2_SAVETHD, P2_FILTER, P2_VTHDMODE}) ui.setDimmed(p2, c, true);
    } else {
        ui.setDimmed(p2, P2_SAVETHD, app.sensor.params.videoThdMode == 0);
        ui.setDimmed(p2, P2_FILTER, false);
        ui.setDimmed(p2, P2_VTHDMODE, false);
    }
}

void DimToleranceFields(ScopeApp& app, bool dim) {
    app.ui.setDimmed(app.panels.para1, P1_TOLUP, dim);
    app.ui.setDimmed(app.panels.para1, P1_TOLLOW, dim);
}

void ShowToleranceLimits(ScopeApp& app, int upperPixels, int lowerPixels) {
    const std::uint32_t slope = app.sensor.params.umSlope;
    app.ui.setDouble(app.panels.main, MAIN_TOLUP_MM, pixelsToMm(upperPixels, slope));
    app.ui.setDouble(app.panels.main, MAIN_TOLLOW_MM, pixelsToMm(lowerPixels, slope));
}

void RefreshControlStates(ScopeApp& app) {
    ui::Platform& ui = app.ui;
    const Panels& pn = app.panels;
    const int hwMode = ui.getInt(pn.para2, P2_HWMODE);
    DimToleranceFields(app, !(hwMode == 0 || hwMode == 2));
    ApplyInternalTriggerState(app, ui.getInt(pn.para1, P1_INTRGMODE) != 0);
    ShowAnalogIndicators(app, ui.getInt(pn.para1, P1_ANAMODE) != 0);
    videoThreshold(app);
    ApplyCcdOperationMode(app, ui.getInt(pn.calib, CAL_CCDMODE));
    ApplyRecorderModeDims(app);
    ShowToleranceLimits(app, app.sensor.params.upperTolerance, app.sensor.params.lowerTolerance);
    helpBoxes(app);
}

}  // namespace korvo
