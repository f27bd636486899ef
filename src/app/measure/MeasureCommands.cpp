#include "app/measure/MeasureCommands.h"

#include "app/measure/MeasureDisplay.h"
#include "app/shell/AuditTrail.h"
#include "app/shell/CallbackRegistry.h"
#include "app/shell/Colors.h"
#include "app/shell/ControlIds.h"
#include "app/shell/ScopeApp.h"
#include "core/measure/MeasureLoops.h"
#include "ui/Events.h"
#include "ui/Graph.h"
#include "ui/Platform.h"

namespace korvo {

using namespace ids;

namespace {

// The measurement modes always work on the sensor's RAM.
void forceRamTarget(ScopeApp& app) {
    app.ui.setInt(app.panels.main, MAIN_RAM, 1);
    app.ui.setInt(app.panels.main, MAIN_EEPROM, 0);
    app.ui.setInt(app.panels.main, MAIN_FILE, 0);
    app.state.memoryTarget = kMemoryRam;
}

// Shows one of the roll graph and the video graph with its toggle, hides the other.
void showGraphs(ScopeApp& app, bool roll) {
    ui::Platform& ui = app.ui;
    const int main = app.panels.main;
    ui.setVisible(main, MAIN_GRAPH256, false);
    ui.setVisible(main, MAIN_ROLLGRAPH, roll);
    ui.setVisible(main, MAIN_ZOOMTOGGLE, roll);
    ui.setVisible(main, MAIN_VIDEOGRAPH, !roll);
    ui.setVisible(main, MAIN_RAWTOGGLE, !roll);
}

void dimCommands(ScopeApp& app, bool withTeach) {
    for (int c : {MAIN_RUN, MAIN_VIDEO, MAIN_GET}) app.ui.setDimmed(app.panels.main, c, true);
    app.ui.setDimmed(app.panels.para2, P2_SAVETHD, true);
    if (withTeach) app.ui.setDimmed(app.panels.para2, P2_TEACH, true);
}

int CC_BTNRun(ScopeApp& app, int, int, int event, void*, int, int) {
    if (event == ui::EVENT_LEFT_CLICK) {
        app.sensor.WriteDummyFrame(portInUse(app));
        if (ui::GraphWidget* g = app.ui.graph(app.panels.main, MAIN_ROLLGRAPH)) {
            for (int t = 0; t < 6; ++t) g->setTraceColor(t + 1, kRollTraceColors[t]);
            g->setTraceCount(6);
        }
    } else if (event == ui::EVENT_COMMIT) {
        PushRUN(app);
    }
    return 0;
}

int CC_BTNStop(ScopeApp& app, int, int, int event, void*, int, int) {
    if (event == ui::EVENT_LEFT_CLICK || event == ui::EVENT_KEYPRESS) {
        app.sensor.link.stopFlag = kStopByUser;
    } else if (event == ui::EVENT_COMMIT) {
        app.sensor.link.stopFlag = kStopByUser;
        PushSTOP(app);
    }
    return 0;
}

int CC_BTNVideo(ScopeApp& app, int, int, int event, void*, int, int) {
    if (event == ui::EVENT_LEFT_CLICK) {
        app.sensor.link.blockReadSelector = 0;
    } else if (event == ui::EVENT_COMMIT) {
        forceRamTarget(app);
        PushVIDEO(app);
    }
    return 0;
}

int CC_ButtonReset(ScopeApp& app, int, int, int event, void*, int, int) {
    // The exchange hands a running loop its next request itself.
    if (event != ui::EVENT_COMMIT) return 0;
    const bool done = app.sensor.ResetMaxMin(portInUse(app)) == 1;
    recordWrite(app, portInUse(app), QStringLiteral("analog reset"), {}, done,
                app.sensor.link.statusText);
    return 0;
}

int CC_TOGGButtonRaw(ScopeApp& app, int panel, int control, int event, void*, int, int) {
    if (event != ui::EVENT_VAL_CHANGED || app.ui.getInt(panel, control) == 0) return 0;
    PortSensor& s = app.sensor;
    fillThresholdLine(s.video, s.model.videoFullScale, s.params.videoThdFix);
    s.video.autoCurve.fill(thresholdLineValue(s.model.videoFullScale, s.params.videoThdAuto));
    return 0;
}

}  // namespace

void PushRUN(ScopeApp& app) {
    showGraphs(app, true);
    dimCommands(app, false);
    forceRamTarget(app);
    MeasureLoops loops(app.sensor);
    loops.run(portInUse(app), [&app](const RunRecord& run) {
        PlotVIDEOBarGraph(app, run);
        PlotRAWGraph(app, run);
    });
    PushSTOP(app);
}

void PushVIDEO(ScopeApp& app) {
    showGraphs(app, false);
    dimCommands(app, true);
    int previousThdMode = 0;
    MeasureLoops loops(app.sensor);
    loops.video(portInUse(app), [&app, &previousThdMode](const RunRecord& run) {
        drawVideoCycle(app, run, previousThdMode);
    });
    PushSTOP(app);
}

void PushSTOP(ScopeApp& app) {
    ui::Platform& ui = app.ui;
    for (int c : {MAIN_VIDEO, MAIN_RUN, MAIN_GET}) ui.setDimmed(app.panels.main, c, false);
    ui.setDimmed(app.panels.para2, P2_TEACH, false);
    LinkState& link = app.sensor.link;
    if (link.stopFlag == kStopRunning || link.stopFlag == kStopByUser) {
        ShowMainStatus(app, QStringLiteral("Data-Transfer Stopped!"));
    } else if (link.stopFlag == kStopRunTimeout) {
        ShowMainStatus(app, QStringLiteral("Timeout RS232 Line!"));
    }
    ui.setDimmed(app.panels.para2, P2_SAVETHD, ui.getInt(app.panels.para2, P2_VTHDMODE) == 0);
    if (link.stopFlag == kStopRunning) link.stopFlag = kStopByUser;
}

void registerMeasureCallbacks(ScopeApp& app) {
    const struct {
        const char* name;
        AppCallback fn;
    } callbacks[] = {
        {"CC_BTNRun", CC_BTNRun},
        {"CC_BTNStop", CC_BTNStop},
        {"CC_BTNVideo", CC_BTNVideo},
        {"CC_ButtonReset", CC_ButtonReset},
        {"CC_TOGGButtonRaw", CC_TOGGButtonRaw},
    };
    for (const auto& c : callbacks) bindCallback(app, QString::fromLatin1(c.name), c.fn);
}

}  // namespace korvo
