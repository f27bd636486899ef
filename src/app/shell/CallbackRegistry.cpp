#include "app/shell/CallbackRegistry.h"

#include "app/sensorfn/SensorFunctions.h"
#include "app/shell/ScopeApp.h"
#include "ui/Platform.h"

namespace korvo {

void bindCallback(ScopeApp& app, const QString& name, AppCallback fn) {
    app.ui.registerCallback(name, [&app, fn](int panel, int control, int event, void* data,
                                             int eventData1, int eventData2) {
        return fn(app, panel, control, event, data, eventData1, eventData2);
    });
}

void registerAllCallbacks(ScopeApp& app) {
    registerShellCallbacks(app);
    registerMplexPanelCallbacks(app);
    registerMplexSequenceCallbacks(app);
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
