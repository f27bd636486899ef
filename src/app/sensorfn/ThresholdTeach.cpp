// The Para2 panel's sensor functions: storing the automatic video threshold, teaching the
// current edge position as the set point, the teach value typed by hand, and TEST.

#include "app/params/PanelBinding.h"
#include "app/params/ParamExchange.h"
#include "app/sensorfn/SensorFunctions.h"
#include "app/shell/AuditTrail.h"
#include "app/shell/CallbackRegistry.h"
#include "app/shell/ControlIds.h"
#include "app/shell/ScopeApp.h"
#include "ui/Events.h"
#include "ui/Graph.h"
#include "ui/Platform.h"
#include "ui/Popups.h"

namespace korvo {

using namespace ids;

namespace {

int CC_CBTNSaveThreshold(ScopeApp& app, int, int, int event, void*, int, int) {
    if (event != ui::EVENT_COMMIT) return 0;
    ui::Platform& ui = app.ui;
    ui.setVisible(app.panels.main, MAIN_VIDEOGRAPH, true);
    ui.setVisible(app.panels.main, MAIN_GRAPH256, false);
    ui.setVisible(app.panels.main, MAIN_ROLLGRAPH, false);
    if (!ui.popups().confirm(QStringLiteral("ATTENTION!"),
                             QStringLiteral("Laser-Light measureing section must be uncovered!")))
        return 0;
    PortSensor& s = app.sensor;
    s.video.thresholdArray = s.video.autoCurve;
    s.params.videoThdAuto = static_cast<std::uint16_t>(ui.getInt(app.panels.para2, P2_VTHD));
    const auto target = static_cast<std::uint16_t>(ui.getInt(app.panels.para2, P2_TARGET));
    const int stored = s.ActivateAutoThdSave(portInUse(app), s.params.videoThdAuto, target);
    recordWrite(app, portInUse(app),
                target == 2 ? QStringLiteral("threshold store eeprom")
                            : QStringLiteral("threshold store ram"),
                {{QStringLiteral("Video-Thd-Auto"), {}, s.params.videoThdAuto}}, stored == 1,
                s.link.statusText);
    app.pump.delay(0.2);
    GetEEThreshold(app);
    return 0;
}

int CC_ButtonTeach(ScopeApp& app, int, int, int event, void*, int, int) {
    AppState& s = app.state;
    if (event == ui::EVENT_LEFT_CLICK) {
        // GET skips its threshold read-back while a teach is under way.
        s.teachInProgress = 1;
        return 0;
    }
    if (event != ui::EVENT_COMMIT) return 0;
    const std::optional<ParamSet> before = knownSensorSet(app, kMemoryRam);
    GetPanelValues(app);
    const int port = portInUse(app);
    AuditChange taught{QStringLiteral("Teach-Value"), {}, {}};
    if (before) taught.before = before->teachValue;
    const bool done = app.sensor.TeachSetpoint(port) == 1;
    const QString outcome = app.sensor.link.statusText;
    if (done) {
        PushGET(app, kMemoryRam, 0, static_cast<std::uint16_t>(port));
        app.pump.delay(0.1);
        // The set point the sensor took is known once the set has come back.
        if (PushGET(app, kMemoryRam, 1, static_cast<std::uint16_t>(port)) == 1)
            taught.after = app.sensor.params.teachValue;
    }
    recordWrite(app, port, QStringLiteral("teach"), {taught}, done, outcome);
    s.teachInProgress = 0;
    int x = app.sensor.params.teachValue;
    if (x == 0) x = 1;
    if (x > app.sensor.model.pixelCount) x = app.sensor.model.pixelCount;
    if (ui::GraphWidget* g = app.ui.graph(app.panels.main, MAIN_PROFILE)) g->setCursor(1, x, 0.75);
    app.sensor.resumeRunLoop();
    return 0;
}

int CC_NEDITTeach(ScopeApp& app, int panel, int control, int event, void*, int, int) {
    if (event != ui::EVENT_COMMIT) return 0;
    PortSensor& s = app.sensor;
    int v = app.ui.getInt(panel, control);
    if (v > s.model.pixelCount) v = s.model.pixelCount - 1;
    if (v < 1) v = 1;
    app.ui.setInt(panel, control, v);
    // The band follows the typed value at once; the set itself learns it with the next panel read.
    ParamSet typed = s.params;
    typed.teachValue = static_cast<std::uint16_t>(v);
    recomputeToleranceBand(typed, s.model.pixelCount, s.band);
    return 0;
}

int CC_TestBUTTON(ScopeApp& app, int, int, int event, void*, int, int) {
    if (event != ui::EVENT_COMMIT) return 0;
    // The values come from the fields as they stand, not from the parameter set.
    const auto field = [&app](int panel, int ctrl) {
        return static_cast<std::uint16_t>(app.ui.getInt(panel, ctrl));
    };
    const std::uint16_t teach = field(app.panels.para2, P2_TEACHVAL);
    const std::uint16_t upper = field(app.panels.para1, P1_TOLUP);
    const std::uint16_t lower = field(app.panels.para1, P1_TOLLOW);
    const int done = app.sensor.TestBUTTON(portInUse(app), teach, upper, lower);
    recordWrite(app, portInUse(app), QStringLiteral("test"), testChanges(teach, upper, lower),
                done == 1, app.sensor.link.statusText);
    return 0;
}

}  // namespace

void registerThresholdTeachCallbacks(ScopeApp& app) {
    bindCallback(app, QStringLiteral("CC_CBTNSaveThreshold"), CC_CBTNSaveThreshold);
    bindCallback(app, QStringLiteral("CC_ButtonTeach"), CC_ButtonTeach);
    bindCallback(app, QStringLiteral("CC_NEDITTeach"), CC_NEDITTeach);
    bindCallback(app, QStringLiteral("CC_TestBUTTON"), CC_TestBUTTON);
}

}  // namespace korvo
