#include "app/program/AppSettingsRestore.h"

#include "app/connect/ConnectPopup.h"
#include "app/shell/ControlIds.h"
#include "app/shell/ScopeApp.h"
#include "core/ini/PanelGeometry.h"
#include "core/params/AppSettings.h"
#include "ui/Platform.h"

namespace korvo {
namespace {

using namespace ids;

void restoreGeometry(ScopeApp& app, const PanelGeometryPlan& plan) {
    ui::Platform& ui = app.ui;
    const int main = app.panels.main;
    if (plan.maximise) {
        ui.maximizePanel(main);
        return;
    }
    if (plan.size) ui.setPanelSize(main, plan.size->height(), plan.size->width());
    // Judged with the size the panel has now (Qt may have bounded the stored one): a position
    // saved on a screen that is no longer attached would bring the window back out of reach.
    if (plan.position &&
        panelPositionOnScreens(*plan.position, ui.panelGeometry(main).size(), ui.screenAreas()))
        ui.setPanelPos(main, plan.position->y(), plan.position->x());
}

}  // namespace

void RestoreAppSettings(ScopeApp& app) {
    const AppSettingsRead read = ReadAppVarFromIniFile(appSettingsPath(app));
    if (!read.fileRead) return;
    const UsableAppSettings usable = usableAppSettings(read);
    AppState& s = app.state;
    if (usable.comPort) {
        app.sensor.link.portNumber = *usable.comPort;
        s.savedPortNumber = *usable.comPort;
        app.ui.setInt(app.panels.connect, CON_PORT, *usable.comPort);
        app.status.showPortNumber(*usable.comPort);
    }
    if (usable.baudIndex) {
        app.sensor.link.baudIndex = *usable.baudIndex;
        s.savedBaudIndex = *usable.baudIndex;
        app.ui.setInt(app.panels.connect, CON_BAUD, *usable.baudIndex);
    }
    restoreGeometry(app, usable.geometry);
}

}  // namespace korvo
