#pragma once
// Binding the callback names that the layout files use to the program's functions. The platform
// refuses to load a panel whose layout names an unregistered callback, so every name must be
// registered before the first panel is loaded; registerAllCallbacks does that.
//
// A right click on a control whose name has a help row (app/help/HelpTable.h) toggles its help
// text; the bound function never sees it.
//
// Each area registers its own names.

#include <QString>

namespace korvo {

struct ScopeApp;

// The program's form of a callback: the running program first, then the platform's arguments.
using AppCallback = int (*)(ScopeApp& app, int panel, int control, int event, void* callbackData,
                            int eventData1, int eventData2);

void bindCallback(ScopeApp& app, const QString& name, AppCallback fn);

// Every area below, in this order.
void registerAllCallbacks(ScopeApp& app);

void registerShellCallbacks(ScopeApp& app);          // CC_PANEL, CC_PANEL_MPC
void registerMplexPanelCallbacks(ScopeApp& app);     // enable switch, save, load
void registerMplexSequenceCallbacks(ScopeApp& app);  // INIT, TEACH, STOP, port callbacks
void registerHelpBoxCallbacks(ScopeApp& app);        // HelpBox.cpp: help boxes, help-only names
void registerMainCommandCallbacks(ScopeApp& app);    // MainCommands.cpp: GET, SEND, radios, tabs
void registerMeasureCallbacks(ScopeApp& app);        // MeasureCommands.cpp: RUN, STOP, VIDEO
void registerRecorderCallbacks(ScopeApp& app);       // RecorderPanel.cpp: the data recorder
// app/sensorfn/SensorFunctions.h: threshold, teach, TEST, calibration
void registerConnectPopupCallbacks(ScopeApp& app);  // ConnectPopup.cpp: the connect pop-up
void registerParamControlCallbacks(ScopeApp& app);  // ParamControls.cpp: parameter controls

}  // namespace korvo
