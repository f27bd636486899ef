#pragma once
// The commands of the scope window's main panel: GET and SEND of the parameter set (sensor RAM,
// EEPROM or parameter file), the memory target radios, the evaluation begin and end fields, the
// four tab toggles and the CONNECT toggle. The measurement commands (RUN, STOP, VIDEO, Reset,
// Zoom, Raw, the graphs) live in app/measure; the help texts of both live in app/help.

#include <QString>

namespace korvo {

struct ScopeApp;

// Status texts of the parameter-file commands.
inline constexpr char kParamReadFromFile[] = "Parameter read from file!";
inline constexpr char kParamNotReadFromFile[] = "Parameter not read from file!";
inline constexpr char kParamSavedToFile[] = "Parameter saved to file!";
inline constexpr char kParamNotSavedToFile[] = "Parameter not saved to file!";
inline constexpr char kParamSavingFailed[] = "Parameter saving to file failed!";

int CC_BTNGet(ScopeApp& app, int panel, int control, int event, void* callbackData, int eventData1,
              int eventData2);
int CC_BTNSend(ScopeApp& app, int panel, int control, int event, void* callbackData, int eventData1,
               int eventData2);
int CC_RBTRam(ScopeApp& app, int panel, int control, int event, void* callbackData, int eventData1,
              int eventData2);
int CC_RBTEeprom(ScopeApp& app, int panel, int control, int event, void* callbackData,
                 int eventData1, int eventData2);
int CC_RBTFile(ScopeApp& app, int panel, int control, int event, void* callbackData, int eventData1,
               int eventData2);
int CC_NEDITEdgeLeft(ScopeApp& app, int panel, int control, int event, void* callbackData,
                     int eventData1, int eventData2);
int CC_NEDITEdgeRight(ScopeApp& app, int panel, int control, int event, void* callbackData,
                      int eventData1, int eventData2);
int CC_TOGGBTN_Para1(ScopeApp& app, int panel, int control, int event, void* callbackData,
                     int eventData1, int eventData2);
int CC_TOGGBTN_Para2(ScopeApp& app, int panel, int control, int event, void* callbackData,
                     int eventData1, int eventData2);
int CC_TOGGBTN_Recorder(ScopeApp& app, int panel, int control, int event, void* callbackData,
                        int eventData1, int eventData2);
int CC_TOGGBTN_Calib(ScopeApp& app, int panel, int control, int event, void* callbackData,
                     int eventData1, int eventData2);

void registerMainCommandCallbacks(ScopeApp& app);

}  // namespace korvo
