#include "app/shell/CallbackRegistry.h"

#include "app/help/HelpBox.h"
#include "app/sensorfn/SensorFunctions.h"
#include "app/shell/ScopeApp.h"
#include "ui/Events.h"
#include "ui/Platform.h"

namespace korvo {

void bindCallback(ScopeApp& app, const QString& name, AppCallback fn) {
    const HelpRow* help = findHelpRow(name);
    app.ui.registerCallback(name, [&app, fn, help](int panel, int control, int event, void* data,
                                                   int eventData1, int eventData2) {
        if (help != nullptr && event == ui::EVENT_RIGHT_CLICK) {
            ToggleHelp(app, *help, panel, control);
            return 0;
        }
        return fn(app, panel, control, event, data, eventData1, eventData2);
    });
}

void registerAllCallbacks(ScopeApp& app) {
    registerShellCallbacks(app);
    registerMplexPanelCallbacks(app);
    registerMplexSequenceCallbacks(app);
    // Before the areas: a name with a help row shows its help until its area binds it.
    registerHelpBoxCallbacks(app);
    registerMainCommandCallbacks(app);
    registerMeasureCallbacks(app);
    registerRecorderCallbacks(app);
    registerConnectPopupCallbacks(app);
    registerParamControlCallbacks(app);
    registerThresholdTeachCallbacks(app);
    registerCalibrationCallbacks(app);
    registerFlashCallbacks(app);
}

}  // namespace korvo
