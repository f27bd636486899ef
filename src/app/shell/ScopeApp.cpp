#include "app/shell/ScopeApp.h"

#include <QDir>

#include "app/params/ParamExchange.h"
#include "app/shell/CallbackRegistry.h"
#include "core/link/PortMap.h"
#include "ui/Platform.h"

namespace korvo {

ScopeApp::ScopeApp(ui::Platform& platform)
    : ui(platform),
      status(platform, panels),
      ports(state.link,
            QDir(platform.programDir()).absoluteFilePath(QString::fromLatin1(kPortMapFileName))),
      sensor(state.link, ports, pump, status, state.params, state.band, state.model, state.video) {
    state.programDir = platform.programDir();
    hooks.getEEThreshold = [this] { GetEEThreshold(*this); };
    registerAllCallbacks(*this);
}

QString ScopeApp::mplexSettingsPath() const {
    return state.programFile(QString::fromLatin1(kMplexSettingsFile));
}

}  // namespace korvo
