#include "app/params/ParamExchange.h"

#include "app/measure/VideoPlot.h"
#include "app/params/PanelBinding.h"
#include "app/shell/AuditTrail.h"
#include "app/shell/ControlIds.h"
#include "app/shell/ScopeApp.h"
#include "core/link/StatusSink.h"
#include "ui/Graph.h"
#include "ui/Platform.h"

namespace korvo {
namespace {

using namespace ids;

void showStatus(ScopeApp& app) {
    app.status.showStatus(app.sensor.link.statusText, StatusLine::Main);
}

// The threshold curve stored in the sensor is shown on the video graph.
void showVideoGraph(ScopeApp& app) {
    app.ui.setVisible(app.panels.main, MAIN_VIDEOGRAPH, true);
    app.ui.setVisible(app.panels.main, MAIN_GRAPH256, false);
    app.ui.setVisible(app.panels.main, MAIN_ROLLGRAPH, false);
}

}  // namespace

int PushGET(ScopeApp& app, int target, std::uint16_t half, std::uint16_t port) {
    AppState& s = app.state;
    int result = 1;
    if (target != kMemoryFile) {
        result = app.sensor.GetParamHalf(target, half, port, app.sensor.params);
        // para0 alone, or a failed half, leaves the panels as they are.
        if (half == 0 || result != 1) {
            showStatus(app);
            return result;
        }
        noteSensorSet(app, target);  // both halves have come
        const bool idle = app.sensor.link.stopFlag == kStopByUser && s.teachInProgress == 0;
        if (app.sensor.params.videoThdMode == 1 && idle) {
            showVideoGraph(app);
            GetEEThreshold(app);
            app.sensor.video.autoCurve = app.sensor.video.thresholdArray;
        }
    }
    SetPanelValues(app);
    showStatus(app);
    return result;
}

int PushSEND(ScopeApp& app, int target, std::uint16_t half, std::uint16_t port) {
    return app.sensor.SendParamHalf(target, half, port);
}

int GetEEThreshold(ScopeApp& app) {
    PortSensor& s = app.sensor;
    // The threshold target switch says where the curve was stored (1 RAM, 2 EEPROM); the same
    // number selects it for the block reads. Selector 0 would read the video profile instead.
    const int target = app.ui.getInt(app.panels.para2, P2_TARGET);
    s.link.blockReadSelector = static_cast<std::uint16_t>(target == 2 ? 2 : 1);
    // The block reads only show their progress; the outcome of the operation that asked for the
    // curve stays in the status text.
    const QString outcome = s.link.statusText;
    const int result = s.readBlockRun(s.link.portNumber, s.link.blockReadSelector);
    s.link.statusText = outcome;

    if (ui::GraphWidget* profile = app.ui.graph(app.panels.main, MAIN_PROFILE)) profile->refresh();
    if (ui::GraphWidget* video = app.ui.graph(app.panels.main, MAIN_VIDEOGRAPH))
        video->setYAxisManual(1.0, s.model.videoFullScale);
    const ProfileArray& curve =
        s.params.videoThdMode != 0 ? s.video.thresholdArray : s.video.thresholdLine;
    PlotVIDEOCurve(app, s.video.video, curve, s.model.videoX);

    s.link.blockReadSelector = 0;
    return result;
}

}  // namespace korvo
