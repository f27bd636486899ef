#pragma once
// The multiplexer panel's operations on its ports: opening a group's ports (INIT, INIT ALL),
// sending the general teach values to every port of a group (TEACH, TEACH ALL), STOP, and the
// per-port reactions of the enable check box, the scope toggle and the status field.

namespace korvo {

struct ScopeApp;

// Opens every enabled port of group g (1..7) that is not open yet. Returns 1 when all 16 ports
// were gone through, 0 when STOP ended the group.
int InitMplex(ScopeApp& app, int group);

// Sends the general teach value and tolerances to every enabled, open port of group g (1..7).
// Returns 1 when all 16 ports were gone through, 0 when STOP ended the group.
int ActivateMplex(ScopeApp& app, int group);

// Callbacks of the multiplexer panel's buttons.
int CC_BTNinit(ScopeApp& app, int panel, int control, int event, void* callbackData, int eventData1,
               int eventData2);
int CC_BTNinitAll(ScopeApp& app, int panel, int control, int event, void* callbackData,
                  int eventData1, int eventData2);
int CC_BTNteach(ScopeApp& app, int panel, int control, int event, void* callbackData,
                int eventData1, int eventData2);
int CC_BTNteachAll(ScopeApp& app, int panel, int control, int event, void* callbackData,
                   int eventData1, int eventData2);
int CC_BTNstop(ScopeApp& app, int panel, int control, int event, void* callbackData, int eventData1,
               int eventData2);

// Callbacks of a port panel: enable check box, scope toggle, status field.
int CC_Check(ScopeApp& app, int panel, int control, int event, void* callbackData, int eventData1,
             int eventData2);
int CC_TOGGscope(ScopeApp& app, int panel, int control, int event, void* callbackData,
                 int eventData1, int eventData2);
int CC_DispStatus(ScopeApp& app, int panel, int control, int event, void* callbackData,
                  int eventData1, int eventData2);

// Binds the names above.
void registerMplexSequenceCallbacks(ScopeApp& app);

}  // namespace korvo
