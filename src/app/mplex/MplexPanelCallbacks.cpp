// Callbacks of the multiplexer window that keep the port table and its settings file.

#include "app/shell/CallbackRegistry.h"
#include "app/mplex/MplexPanel.h"
#include "app/mplex/MplexSettingsFile.h"

namespace korvo {

void registerMplexPanelCallbacks(ScopeApp& app) {
    bindCallback(app, QStringLiteral("CC_BINSWenable"), CC_BINSWenable);
    bindCallback(app, QStringLiteral("CC_PICBTNsave"), CC_PICBTNsave);
    bindCallback(app, QStringLiteral("CC_PICBTNloadfile"), CC_PICBTNloadfile);
}

}  // namespace korvo
