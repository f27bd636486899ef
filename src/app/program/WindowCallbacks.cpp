#include "app/program/WindowCallbacks.h"

#include "app/measure/MeasureDisplay.h"
#include "app/mplex/MplexSettingsFile.h"
#include "app/shell/CallbackRegistry.h"
#include "app/shell/ControlIds.h"
#include "app/shell/ScopeApp.h"
#include "core/process/StopSignals.h"
#include "ui/Events.h"
#include "ui/Graph.h"
#include "ui/Platform.h"

namespace korvo {
namespace {

using namespace ids;

const QString kAttention = QStringLiteral("ATTENTION!");

void closeScopeWindow(ScopeApp& app) {
    app.sensor.link.stopFlag = kStopByUser;
    int group = app.ui.activeTabPage(app.panels.mpc, MPC_TAB);
    if (group < 0 || group >= kMplexGroups) group = 0;
    // Only the active group can have handed a port to the scope window.
    for (int p = 0; p < kMplexPortsPerGroup; ++p)
        app.ui.setInt(app.panels.portPanels[group][p], PORT_SCOPE, 0);
    app.ui.hidePanel(app.panels.main);
}

void endProgram(ScopeApp& app) {
    app.sensor.link.stopFlag = kStopByUser;
    const QString path = app.mplexSettingsPath();
    const FileWriteResult written = WriteIniFile(app, path);
    if (!written.ok) {
        // The previous file is still intact; the operator learns that the changes are lost.
        app.ui.popups().message(
            kAttention, QStringLiteral("MPLEX16.ini could not be saved.\n") + written.message);
    }
    // Closing a port that was never opened is harmless.
    app.ports.closeAll();
    app.ui.quitUserInterface(0);
}

}  // namespace

void CloseOnStopSignal(ScopeApp& app) {
    // Through the window's own close, so that whatever a close does a signal does too.
    StopSignals::onSignal([&app](int) { app.ui.userClosePanel(app.panels.mpc); });
}

int CC_PANEL(ScopeApp& app, int panel, int control, int event, void* callbackData, int eventData1,
             int eventData2) {
    switch (event) {
        case ui::EVENT_CLOSE:
            closeScopeWindow(app);
            break;
        case ui::EVENT_PANEL_SIZE:
            RestoreRollGraphTraces(app);
            break;
        case ui::EVENT_RIGHT_DOUBLE_CLICK:
            app.ui.setPanelSize(app.panels.main, 548, 780);
            app.ui.centrePanel(app.panels.main);
            break;
        default:
            break;
    }
    return 0;
}

int CC_PANEL_MPC(ScopeApp& app, int panel, int control, int event, void* callbackData,
                 int eventData1, int eventData2) {
    switch (event) {
        case ui::EVENT_CLOSE:
            endProgram(app);
            break;
        case ui::EVENT_RIGHT_DOUBLE_CLICK:
            app.ui.setPanelSize(app.panels.mpc, 545, 780);
            app.ui.centrePanel(app.panels.mpc);
            break;
        default:
            break;
    }
    return 0;
}

void registerWindowCallbacks(ScopeApp& app) {
    bindCallback(app, QStringLiteral("CC_PANEL"), CC_PANEL);
    bindCallback(app, QStringLiteral("CC_PANEL_MPC"), CC_PANEL_MPC);
}

}  // namespace korvo
