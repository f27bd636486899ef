#include "app/ControlStates.h"

#include <initializer_list>

#include "app/ControlIds.h"
#include "app/ScopeApp.h"
#include "ui/Platform.h"

namespace korvo {
namespace {

using namespace ids;

constexpr int kTriggerIndicators[] = {MAIN_DARKPIX, MAIN_TRIGCOMP, MAIN_TRIGLED};
constexpr int kAnalogIndicators[] = {MAIN_ANAVALUE, MAIN_ANAMAX, MAIN_ANAMIN, MAIN_RESET,
                                     MAIN_ANACOMP};

template <size_t N>
void showAll(ui::Platform& ui, int panel, const int (&ctrls)[N], bool visible) {
    for (int c : ctrls) ui.setVisible(panel, c, visible);
}

void toleranceFields(ScopeApp& app) {
    const int hwMode = app.ui.getInt(app.panels.para2, P2_HWMODE);
    const bool dim = !(hwMode == 0 || hwMode == 2);
    app.ui.setDimmed(app.panels.para1, P1_TOLUP, dim);
    app.ui.setDimmed(app.panels.para1, P1_TOLLOW, dim);
}

void triggerControls(ScopeApp& app) {
    ui::Platform& ui = app.ui;
    const int p1 = app.panels.para1;
    const int hwType = app.state.model.hardwareType;
    if (ui.getInt(p1, P1_INTRGMODE) != 0) {
        if (hwType == 3) {
            ui.setInt(p1, P1_OUTMODE, 3);
            ui.setDimmed(p1, P1_OUTMODE, true);
        } else if (hwType == 1) {
            ui.setDimmed(p1, P1_OUTMODE, false);
        }
        ui.setDimmed(p1, P1_TRGPIX, false);
        showAll(ui, app.panels.main, kTriggerIndicators, true);
    } else {
        if (hwType == 1) ui.setInt(p1, P1_OUTMODE, 0);
        ui.setDimmed(p1, P1_OUTMODE, true);
        ui.setDimmed(p1, P1_TRGPIX, true);
        showAll(ui, app.panels.main, kTriggerIndicators, false);
    }
}

void analogIndicators(ScopeApp& app) {
    const bool on = app.ui.getInt(app.panels.para1, P1_ANAMODE) != 0;
    showAll(app.ui, app.panels.main, kAnalogIndicators, on);
}

void videoThreshold(ScopeApp& app) {
    const int p2 = app.panels.para2;
    if (app.ui.getInt(p2, P2_VTHDMODE) == 0) {
        app.ui.setDimmed(p2, P2_SAVETHD, true);
        return;
    }
    app.ui.setDimmed(p2, P2_SAVETHD, false);
    if (app.hooks.getEEThreshold) app.hooks.getEEThreshold();
    app.state.video.autoCurve = app.state.video.thresholdArray;
    app.ui.setText(app.panels.main, MAIN_STATUS, app.state.link.firmwareText);
}

void ccdOperationMode(ScopeApp& app) {
    if (app.state.model.familyCode <= 100) return;
    const int p2 = app.panels.para2;
    if (app.ui.getInt(app.panels.calib, CAL_CCDMODE) == 1) {
        for (int c : {P2_SAVETHD, P2_FILTER, P2_VTHDMODE}) app.ui.setDimmed(p2, c, true);
    } else {
        app.ui.setDimmed(p2, P2_SAVETHD, app.state.params.videoThdMode == 0);
        app.ui.setDimmed(p2, P2_FILTER, false);
        app.ui.setDimmed(p2, P2_VTHDMODE, false);
    }
}

void recorderControls(ScopeApp& app) {
    const int rec = app.panels.recorder;
    const int mode = app.ui.getInt(rec, REC_RS232MODE);
    const bool triggered = mode == 2 || mode == 3;  // the sensor paces the samples itself
    app.ui.setDimmed(rec, REC_INCTIME, triggered || mode == 1);
    for (int c : {REC_SAMPLES, REC_START, REC_STOPREC, REC_FILEBTN})
        app.ui.setDimmed(rec, c, triggered);
}

void toleranceDisplays(ScopeApp& app) {
    const ParamSet& p = app.state.params;
    app.ui.setDouble(app.panels.main, MAIN_TOLUP_MM,
                     static_cast<double>(p.umSlope) * p.upperTolerance / 1024000.0);
    app.ui.setDouble(app.panels.main, MAIN_TOLLOW_MM,
                     static_cast<double>(p.umSlope) * p.lowerTolerance / 1024000.0);
}

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

void RefreshControlStates(ScopeApp& app) {
    toleranceFields(app);
    triggerControls(app);
    analogIndicators(app);
    videoThreshold(app);
    ccdOperationMode(app);
    recorderControls(app);
    toleranceDisplays(app);
    helpBoxes(app);
}

}  // namespace korvo
