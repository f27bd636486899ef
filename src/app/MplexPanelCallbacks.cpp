// Callbacks of the multiplexer window that keep the port table and its settings file.

#include "app/CallbackRegistry.h"
#include "app/MplexPanel.h"
#include "app/MplexSettingsFile.h"

namespace korvo {

void registerMplexPanelCallbacks(ScopeApp& app) {
    bindCallback(app, QStringLiteral("CC_BINSWenable"), CC_BINSWenable);
    bindCallback(app, QStringLiteral("CC_PICBTNsave"), CC_PICBTNsave);
    bindCallback(app, QStringLiteral("CC_PICBTNloadfile"), CC_PICBTNloadfile);
}

}  // namespace korvo
