#include "app/shell/ScopeApp.h"

#include "core/link/PortMap.h"
#include "ui/Platform.h"

namespace korvo {

ScopeApp::ScopeApp(ui::Platform& platform)
    : ScopeApp(platform, FileLocations::programFolder(platform.programDir())) {}

ScopeApp::ScopeApp(ui::Platform& platform, const FileLocations& where)
    : ui(platform),
      status(platform, panels),
      ports(where.settingsFile(QString::fromLatin1(kPortMapFileName))),
      sensor(ports, pump, status) {
    state.files = where;
}

void ShowMainStatus(ScopeApp& app, const QString& text) {
    app.sensor.link.setStatus(text);
    app.status.showStatus(app.sensor.link.statusText, StatusLine::Main);
}

ScopeApp::~ScopeApp() {
    delete lineWindow;  // its monitor ends before the ports it works on
}

QString ScopeApp::mplexSettingsPath() const {
    return state.settingsFile(QString::fromLatin1(kMplexSettingsFile));
}

}  // namespace korvo
