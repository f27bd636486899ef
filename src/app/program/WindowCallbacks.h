#pragma once
// The two window callbacks: the scope window (main panel) and the multiplexer window, whose close
// ends the program.

namespace korvo {

struct ScopeApp;

// Close: stops running loops, switches off the scope toggles of the active group, hides the
// scope window. Resize: restores the roll graph's traces. Right double-click: 548 x 780, centred.
int CC_PANEL(ScopeApp& app, int panel, int control, int event, void* callbackData, int eventData1,
             int eventData2);

// Close: stops running loops, writes "MPLEX16.ini", closes every port and ends the event loop.
// Right double-click: 545 x 780, centred.
int CC_PANEL_MPC(ScopeApp& app, int panel, int control, int event, void* callbackData,
                 int eventData1, int eventData2);

// From now on, a signal that asks the program to end (see core/process/StopSignals.h: SIGTERM at a
// logout, SIGHUP, SIGINT) closes the multiplexer window as the operator would: the loops stop,
// "MPLEX16.ini" is written and the event loop ends. The caller clears the action
// (StopSignals::onSignal({})) before app goes away.
void CloseOnStopSignal(ScopeApp& app);

void registerWindowCallbacks(ScopeApp& app);  // CC_PANEL, CC_PANEL_MPC

}  // namespace korvo
