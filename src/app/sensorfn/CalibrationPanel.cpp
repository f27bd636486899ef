// The Calib panel: the two-point calibration to micrometres (step boxes, accepting the
// reference objects, the fit, saving into the sensor, discarding) and the service controls.

#include "app/measure/MeasureCommands.h"
#include "app/sensorfn/SensorFunctions.h"
#include "app/shell/AuditTrail.h"
#include "app/shell/CallbackRegistry.h"
#include "app/shell/ControlIds.h"
#include "app/shell/ScopeApp.h"
#include "core/sensorfn/Calibration.h"
#include "ui/Events.h"
#include "ui/Platform.h"

namespace korvo {

using namespace ids;

namespace {

void dim(ScopeApp& app, std::initializer_list<int> ctrls, bool dimmed) {
    for (int c : ctrls) app.ui.setDimmed(app.panels.calib, c, dimmed);
}

// The slope and offset fields show the sensor's values as the last command-12 echo gave them.
void showCalibValues(ScopeApp& app) {
    const ParamSet& p = app.sensor.params;
    app.ui.setDouble(app.panels.calib, CAL_SLOPE, slopeFromUmSlope(p.umSlope));
    app.ui.setDouble(app.panels.calib, CAL_OFFSET, offsetFromUmOffset(p.umOffset));
}

void restoreEvalMode(ScopeApp& app) {
    app.sensor.params.evalMode = app.state.calib.keptEvalMode;
    app.ui.setInt(app.panels.para1, P1_EVALMODE, app.state.calib.keptEvalMode);
}

// The left click on a step box or an accept button ends measurement, so that what follows reads
// a settled run record.
void stopMeasurement(ScopeApp& app) {
    app.sensor.link.stopFlag = kStopByUser;
    app.pump.processEvents();
    app.pump.delay(0.2);
}

void activateCalibration(ScopeApp& app) {
    // A time-out says so on the status line and leaves the controls as they were.
    if (app.sensor.ActivateCalibration(portInUse(app)) != 1) return;
    showCalibValues(app);
    app.state.calib.keptEvalMode = app.sensor.params.evalMode;
    app.ui.setInt(app.panels.para1, P1_EVALMODE, 2);
    dim(app, {CAL_STEP1, CAL_STEP2}, false);
    // Measurement supplies the values to accept; it runs until an accept button ends it.
    if (app.sensor.link.stopFlag != kStopRunning) PushRUN(app);
}

int CC_CheckStep1(ScopeApp& app, int panel, int control, int event, void*, int, int) {
    if (event == ui::EVENT_LEFT_CLICK) stopMeasurement(app);
    if (event != ui::EVENT_VAL_CHANGED) return 0;
    if (app.ui.getInt(panel, control) != 0) {
        app.ui.setInt(panel, CAL_STEP2, 0);
        dim(app, {CAL_ACCEPT1}, false);
        dim(app, {CAL_ACCEPT2}, true);
    } else {
        dim(app, {CAL_ACCEPT1, CAL_ACCEPT2}, true);
    }
    activateCalibration(app);
    return 0;
}

int CC_CheckStep2(ScopeApp& app, int panel, int control, int event, void*, int, int) {
    if (event == ui::EVENT_LEFT_CLICK) stopMeasurement(app);
    if (event != ui::EVENT_VAL_CHANGED) return 0;
    if (app.ui.getInt(panel, control) != 0) {
        app.ui.setInt(panel, CAL_STEP1, 0);
        dim(app, {CAL_ACCEPT1}, true);
        dim(app, {CAL_ACCEPT2}, false);
        activateCalibration(app);
    } else {
        dim(app, {CAL_ACCEPT1, CAL_ACCEPT2}, true);
    }
    return 0;
}

int acceptObject(ScopeApp& app, int event, int object) {
    if (event == ui::EVENT_LEFT_CLICK) stopMeasurement(app);
    if (event != ui::EVENT_COMMIT) return 0;
    const int calib = app.panels.calib;
    const int reference = object == 0 ? CAL_REF1 : CAL_REF2;
    const auto size = static_cast<std::uint32_t>(app.ui.getInt(calib, reference));
    app.state.calib.accept(object, app.sensor.run.measuredValue, size);
    dim(app, {CAL_FIT}, false);
    // The line on show no longer fits the points: saving waits for the next fit.
    dim(app, {CAL_SAVE}, true);
    const int step = object == 0 ? CAL_STEP1 : CAL_STEP2;
    dim(app, {step, object == 0 ? CAL_ACCEPT1 : CAL_ACCEPT2}, true);
    app.ui.setInt(calib, step, 0);
    return 0;
}

int CC_ButtonAcceptObject1(ScopeApp& app, int, int, int event, void*, int, int) {
    return acceptObject(app, event, 0);
}

int CC_ButtonAcceptObject2(ScopeApp& app, int, int, int event, void*, int, int) {
    return acceptObject(app, event, 1);
}

int CC_ButtonDoFit(ScopeApp& app, int, int, int event, void*, int, int) {
    if (event != ui::EVENT_COMMIT) return 0;
    const CalibFitResult fit = app.state.calib.fit();
    if (!fit.ok) {
        // Two points at the same measured value give no line: nothing changes.
        ShowMainStatus(app, fit.message);
        return 0;
    }
    app.ui.setDouble(app.panels.calib, CAL_FITSLOPE, fit.slope);
    app.ui.setDouble(app.panels.calib, CAL_FITOFFSET, fit.offset);
    dim(app, {CAL_SAVE}, false);
    dim(app, {CAL_FIT}, true);
    return 0;
}

int CC_ButtonSaveCalValues(ScopeApp& app, int, int, int event, void*, int, int) {
    if (event != ui::EVENT_COMMIT) return 0;
    // Exactly the line on show, never one fitted anew from points the operator has not seen.
    const CalibFitResult fit = app.state.calib.shown;
    if (!fit.ok) return 0;
    const std::uint32_t slope = umSlopeFromSlope(fit.slope);
    const std::uint32_t offset = umOffsetFromOffset(fit.offset);
    // The set holds the values the sensor last reported (its set, or its calibration echo).
    const std::vector<AuditChange> changes = {
        {QStringLiteral("um-Slope"), app.sensor.params.umSlope, slope},
        {QStringLiteral("um-Offset"), app.sensor.params.umOffset, offset}};
    const int saved = app.sensor.SaveCalibration(portInUse(app), slope, offset);
    recordWrite(app, portInUse(app), QStringLiteral("calibration save"), changes, saved == 1,
                app.sensor.link.statusText);
    if (saved == 1) {
        showCalibValues(app);
        restoreEvalMode(app);
        dim(app, {CAL_ACCEPT1, CAL_ACCEPT2, CAL_STEP1, CAL_STEP2, CAL_FIT, CAL_SAVE}, true);
        app.ui.setInt(app.panels.calib, CAL_STEP1, 0);
        app.ui.setInt(app.panels.calib, CAL_STEP2, 0);
        app.state.calib.clearAccepted();
    }
    // After a time-out the fit stays and the save button with it, so it can be saved again.
    app.pump.processEvents();
    return 0;
}

int CC_DiscardCalibration(ScopeApp& app, int, int, int event, void*, int, int) {
    if (event != ui::EVENT_COMMIT) return 0;
    if (app.sensor.StopCalibration(portInUse(app)) == 1) {
        showCalibValues(app);
        restoreEvalMode(app);
    }
    const int calib = app.panels.calib;
    dim(app, {CAL_ACCEPT1, CAL_ACCEPT2, CAL_FIT, CAL_SAVE}, true);
    dim(app, {CAL_STEP1, CAL_STEP2}, false);
    app.ui.setInt(calib, CAL_STEP1, 0);
    app.ui.setInt(calib, CAL_STEP2, 0);
    app.state.calib.clearAccepted();
    // The tab toggles go back to PARA1; the panel shown stays as it is.
    const int main = app.panels.main;
    app.ui.setInt(main, MAIN_TAB_PARA1, 1);
    for (int t : {MAIN_TAB_PARA2, MAIN_TAB_RECORDER, MAIN_TAB_CALIB}) app.ui.setInt(main, t, 0);
    app.ui.setDouble(calib, CAL_FITSLOPE, 0.0);
    app.ui.setDouble(calib, CAL_FITOFFSET, 0.0);
    return 0;
}

int CC_CalibTextBox(ScopeApp& app, int, int, int event, void*, int, int) {
    if (event != ui::EVENT_RIGHT_DOUBLE_CLICK) return 0;
    const bool show = app.state.serviceState == 0;
    for (int c : {CAL_XFLASH, CAL_TEST}) {
        app.ui.setVisible(app.panels.calib, c, show);
        app.ui.setDimmed(app.panels.calib, c, !show);
    }
    dim(app, {CAL_SLOPE}, !show);
    app.state.serviceState = show ? 1 : 0;
    return 0;
}

}  // namespace

void registerCalibrationCallbacks(ScopeApp& app) {
    const struct {
        const char* name;
        AppCallback fn;
    } callbacks[] = {
        {"CC_CheckStep1", CC_CheckStep1},
        {"CC_CheckStep2", CC_CheckStep2},
        {"CC_ButtonAcceptObject1", CC_ButtonAcceptObject1},
        {"CC_ButtonAcceptObject2", CC_ButtonAcceptObject2},
        {"CC_ButtonDoFit", CC_ButtonDoFit},
        {"CC_ButtonSaveCalValues", CC_ButtonSaveCalValues},
        {"CC_DiscardCalibration", CC_DiscardCalibration},
        {"CC_CalibTextBox", CC_CalibTextBox},
    };
    for (const auto& c : callbacks) bindCallback(app, QString::fromLatin1(c.name), c.fn);
}

}  // namespace korvo
