#include "app/program/Wiring.h"

#include "app/connect/ConnectPopup.h"
#include "app/help/HelpBox.h"
#include "app/help/HelpTable.h"
#include "app/line/LineWindow.h"
#include "app/measure/MeasureCommands.h"
#include "app/mplex/MplexPanel.h"
#include "app/mplex/MplexSequences.h"
#include "app/params/MainCommands.h"
#include "app/params/ParamControls.h"
#include "app/params/ParamExchange.h"
#include "app/program/WindowCallbacks.h"
#include "app/recorder/RecorderPanel.h"
#include "app/sensorfn/SensorFunctions.h"
#include "app/shell/ScopeApp.h"

namespace korvo {

void wireProgram(ScopeApp& app) {
    app.hooks.getEEThreshold = [&app] { GetEEThreshold(app); };
    app.hooks.toggleHelp = [&app](const QString& callback, int panel, int control) {
        const HelpRow* help = findHelpRow(callback);
        if (help != nullptr) ToggleHelp(app, *help, panel, control);
        return help != nullptr;
    };
    registerWindowCallbacks(app);
    registerMplexPanelCallbacks(app);
    registerMplexSequenceCallbacks(app);
    registerLineCallbacks(app);
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
