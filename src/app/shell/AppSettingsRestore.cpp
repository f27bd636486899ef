#include "app/shell/AppSettingsRestore.h"

#include <QGuiApplication>
#include <QScreen>

#include "app/connect/ConnectPopup.h"
#include "app/shell/ControlIds.h"
#include "app/shell/ScopeApp.h"
#include "core/params/AppSettings.h"
#include "ui/Platform.h"

namespace korvo {
namespace {

using namespace ids;

// A window saved on a screen that is no longer attached would come back out of reach.
bool onSomeScreen(const QRect& r) {
    for (const QScreen* s : QGuiApplication::screens())
        if (s->availableGeometry().intersects(r)) return true;
    return false;
}

void restoreGeometry(ScopeApp& app, const PanelGeometryPlan& plan) {
    ui::Platform& ui = app.ui;
    const int main = app.panels.main;
    if (plan.maximise) {
        ui.maximizePanel(main);
        return;
    }
    if (plan.size) ui.setPanelSize(main, plan.size->height(), plan.size->width());
    if (plan.position) {
        const QRect wanted(*plan.position, ui.panelGeometry(main).size());
        if (onSomeScreen(wanted)) ui.setPanelPos(main, wanted.top(), wanted.left());
    }
}

}  // namespace

void RestoreAppSettings(ScopeApp& app) {
    const AppSettingsRead read = ReadAppVarFromIniFile(appSettingsPath(app));
    if (!read.fileRead) return;
    const UsableAppSettings usable = usableAppSettings(read);
    AppState& s = app.state;
    if (usable.comPort) {
        s.link.portNumber = *usable.comPort;
        s.savedPortNumber = *usable.comPort;
        app.ui.setInt(app.panels.connect, CON_PORT, *usable.comPort);
        app.status.showPortNumber(*usable.comPort);
    }
    if (usable.baudIndex) {
        s.link.baudIndex = *usable.baudIndex;
        s.savedBaudIndex = *usable.baudIndex;
        app.ui.setInt(app.panels.connect, CON_BAUD, *usable.baudIndex);
    }
    restoreGeometry(app, usable.geometry);
}

}  // namespace korvo
