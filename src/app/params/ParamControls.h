#pragma once
// The callbacks of the parameter controls on the Para1, Para2 and Calib panels. A right click
// toggles the control's help text beside it; a few controls also update their neighbours when
// their value changes (trigger coupling, tolerance dimming and clamps, analog indicators, the
// video threshold mode and slider, the CCD operation mode). Edits never talk to the sensor: SEND
// collects the values. The one exception is a left click on the threshold slider in AUTO mode,
// which fetches the sensor's video profile.
//
// The threshold target switch, the save-threshold button and the teach controls are registered
// here with their help only; the threshold and teach functions add their own events.

#include <QString>

namespace korvo {

struct ScopeApp;

// Shows the help of a parameter control for the right click on (panel, control). callback is the
// control's callback name ("CC_DROPevalmode", ...); returns false for a name without help here.
bool ShowParamControlHelp(ScopeApp& app, const QString& callback, int panel, int control);

// The lower-tolerance help differs by firmware: version 302 and below has one tolerance value.
QString lowerToleranceHelpText(int firmwareVersion);

int CC_DROPevalmode(ScopeApp& app, int panel, int control, int event, void* callbackData,
                    int eventData1, int eventData2);
int CC_DROPintrgMode(ScopeApp& app, int panel, int control, int event, void* callbackData,
                     int eventData1, int eventData2);
int CC_NUMtrgPix(ScopeApp& app, int panel, int control, int event, void* callbackData,
                 int eventData1, int eventData2);
int CC_DROPhardware(ScopeApp& app, int panel, int control, int event, void* callbackData,
                    int eventData1, int eventData2);
int CC_DROPpolarity(ScopeApp& app, int panel, int control, int event, void* callbackData,
                    int eventData1, int eventData2);
int CC_DROPoutmode(ScopeApp& app, int panel, int control, int event, void* callbackData,
                   int eventData1, int eventData2);
int CC_DROPaverage(ScopeApp& app, int panel, int control, int event, void* callbackData,
                   int eventData1, int eventData2);
int CC_DROPanaMode(ScopeApp& app, int panel, int control, int event, void* callbackData,
                   int eventData1, int eventData2);
int CC_DROPzoomMode(ScopeApp& app, int panel, int control, int event, void* callbackData,
                    int eventData1, int eventData2);
int CC_NEDITToleranceUP(ScopeApp& app, int panel, int control, int event, void* callbackData,
                        int eventData1, int eventData2);
int CC_NEDITTolerance(ScopeApp& app, int panel, int control, int event, void* callbackData,
                      int eventData1, int eventData2);
int CC_SLIDEpower(ScopeApp& app, int panel, int control, int event, void* callbackData,
                  int eventData1, int eventData2);
int CC_SLIDEVideoThreshold(ScopeApp& app, int panel, int control, int event, void* callbackData,
                           int eventData1, int eventData2);
int CC_BINSWopmode(ScopeApp& app, int panel, int control, int event, void* callbackData,
                   int eventData1, int eventData2);
int CC_DROP_FilterType(ScopeApp& app, int panel, int control, int event, void* callbackData,
                       int eventData1, int eventData2);
int CC_DROP_TrigMode(ScopeApp& app, int panel, int control, int event, void* callbackData,
                     int eventData1, int eventData2);
int CC_DROPvthdmode(ScopeApp& app, int panel, int control, int event, void* callbackData,
                    int eventData1, int eventData2);

void registerParamControlCallbacks(ScopeApp& app);

}  // namespace korvo
