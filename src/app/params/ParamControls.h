#pragma once
// The callbacks of the parameter controls on the Para1, Para2 and Calib panels that update their
// neighbours when their value changes (trigger coupling, tolerance dimming and clamps, analog
// indicators, the video threshold mode and slider, the CCD operation mode). Edits never talk to
// the sensor: SEND collects the values. The one exception is a left click on the threshold slider
// in AUTO mode, which fetches the sensor's video profile.
//
// Every parameter control's right-click help lives in app/help; the controls with nothing else to
// do (and, until the threshold and teach functions add their own events, the threshold target
// switch, the save-threshold button and the teach controls) are bound there.

namespace korvo {

struct ScopeApp;

int CC_DROPintrgMode(ScopeApp& app, int panel, int control, int event, void* callbackData,
                     int eventData1, int eventData2);
int CC_DROPhardware(ScopeApp& app, int panel, int control, int event, void* callbackData,
                    int eventData1, int eventData2);
int CC_DROPanaMode(ScopeApp& app, int panel, int control, int event, void* callbackData,
                   int eventData1, int eventData2);
int CC_NEDITToleranceUP(ScopeApp& app, int panel, int control, int event, void* callbackData,
                        int eventData1, int eventData2);
int CC_NEDITTolerance(ScopeApp& app, int panel, int control, int event, void* callbackData,
                      int eventData1, int eventData2);
int CC_SLIDEVideoThreshold(ScopeApp& app, int panel, int control, int event, void* callbackData,
                           int eventData1, int eventData2);
int CC_BINSWopmode(ScopeApp& app, int panel, int control, int event, void* callbackData,
                   int eventData1, int eventData2);
int CC_DROPvthdmode(ScopeApp& app, int panel, int control, int event, void* callbackData,
                    int eventData1, int eventData2);

void registerParamControlCallbacks(ScopeApp& app);

}  // namespace korvo
