#pragma once
// The connect pop-up of the scope window: choosing the COM port and the baud rate, trying the
// connection, keeping the choice (written to the application settings file) or going back to the
// previous one, and switching sensor and port to another baud rate. The buttons' help texts live
// in app/help.

#include <QString>

namespace korvo {

struct ScopeApp;

// The application settings file in the program directory.
QString appSettingsPath(const ScopeApp& app);

// Commit of the main panel's CONNECT toggle. Forces the toggle on; when it was already pressed
// (the pop-up is open) nothing else happens and 1 is returned. Otherwise the pop-up's port and
// baud rate become the saved choice, ACCEPT is dimmed, DISCARD enabled and the pop-up shown;
// returns 0.
int OpenConnectPopup(ScopeApp& app);

// The main panel's CONNECT toggle: a click stops a running loop, the commit opens the pop-up.
// Returns 1 for a click on the pressed toggle (the pop-up is already open), else 0.
int CC_TOGGBTNConnect(ScopeApp& app, int panel, int control, int event, void* callbackData,
                      int eventData1, int eventData2);

int CC_CBTNTryToConnect(ScopeApp& app, int panel, int control, int event, void* callbackData,
                        int eventData1, int eventData2);
int CC_CBTNAcceptComSetting(ScopeApp& app, int panel, int control, int event, void* callbackData,
                            int eventData1, int eventData2);
int CC_CBTNDiscardComSetting(ScopeApp& app, int panel, int control, int event, void* callbackData,
                             int eventData1, int eventData2);
int CC_CBTNChangeBaudRate(ScopeApp& app, int panel, int control, int event, void* callbackData,
                          int eventData1, int eventData2);
// The port field and the baud-rate ring do nothing themselves: the buttons read them.
int CC_NUMrs232comport(ScopeApp& app, int panel, int control, int event, void* callbackData,
                       int eventData1, int eventData2);
int CC_DROPBaudRate(ScopeApp& app, int panel, int control, int event, void* callbackData,
                    int eventData1, int eventData2);

void registerConnectPopupCallbacks(ScopeApp& app);

}  // namespace korvo
