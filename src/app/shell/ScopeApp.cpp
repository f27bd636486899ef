#include "app/shell/ScopeApp.h"

#include "app/params/ParamExchange.h"
#include "app/shell/CallbackRegistry.h"
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
    hooks.getEEThreshold = [this] { GetEEThreshold(*this); };
    registerAllCallbacks(*this);
}

QString ScopeApp::mplexSettingsPath() const {
    return state.settingsFile(QString::fromLatin1(kMplexSettingsFile));
}

}  // namespace korvo
