#pragma once
// Resource numbers of the panels in the two layout files and the numeric ids of their controls.
// The layout files carry the same numbers (dynamic properties "resourceId" and "ctrlId"); a
// control's callback is named by its "callback" property.
//
// Written by scripts/gen_layouts.py from its id table: edit the table there, not this file.

namespace korvo::ids {

// Layout file names, opened from the program directory.
inline constexpr const char* kScopeLayoutFile = "KORVO-KM-MPLEX-ScopeV318.uir";
inline constexpr const char* kMplexLayoutFile = "MPLEX-16-ControlV100.uir";

// ---- "MPLEX-16-ControlV100.uir" -------------------------------------------------------------
inline constexpr int RES_MPC = 1;   // multiplexer panel (top level), callback CC_PANEL_MPC
inline constexpr int RES_PORT = 2;  // group panel and port panel (the same resource)

// Multiplexer panel
inline constexpr int MPC_TAB = 2;        // tab control, pages "MPC-Tab1".."MPC-Tab7"
inline constexpr int MPC_TEACHVAL = 3;   // general teach value (unsigned 16-bit)
inline constexpr int MPC_TOLHIGH = 4;    // general upper tolerance
inline constexpr int MPC_TOLLOW = 5;     // general lower tolerance
inline constexpr int MPC_STATUS = 6;     // status line (text)
inline constexpr int MPC_INIFILE = 7;    // text box: settings file last read or written
inline constexpr int MPC_INIT = 8;       // CC_BTNinit
inline constexpr int MPC_INITALL = 9;    // CC_BTNinitAll
inline constexpr int MPC_TEACH = 10;     // CC_BTNteach
inline constexpr int MPC_TEACHALL = 11;  // CC_BTNteachAll
inline constexpr int MPC_STOP = 12;      // CC_BTNstop
inline constexpr int MPC_SAVE = 13;      // CC_PICBTNsave
inline constexpr int MPC_LOAD = 14;      // CC_PICBTNloadfile
inline constexpr int MPC_LINE = 15;      // CC_BTNline: the line monitor's window

// Controls on each tab page (the page is a panel of its own)
inline constexpr int TAB_ENABLE = 2;  // group enable switch, CC_BINSWenable
inline constexpr int TAB_EXTRA1 = 3;  // column header, dimmed with the group
inline constexpr int TAB_EXTRA2 = 4;  // group caption, dimmed with the group

// Port panel (and group panel)
inline constexpr int PORT_COM = 2;     // COM port number (unsigned 16-bit)
inline constexpr int PORT_BAUD = 3;    // baud index (ring, values 0..4)
inline constexpr int PORT_ENABLE = 4;  // check box "P1".."P16", CC_Check
inline constexpr int PORT_SCOPE = 5;   // scope toggle, CC_TOGGscope
inline constexpr int PORT_STATUS = 6;  // status field, CC_DispStatus
inline constexpr int PORT_GROUP = 7;   // group number 0..6 (hidden)
inline constexpr int PORT_NUMBER = 8;  // port number 0..15 (hidden)

// ---- "KORVO-KM-MPLEX-ScopeV318.uir" ---------------------------------------------------------
inline constexpr int RES_CALIB = 1;
inline constexpr int RES_CONNECT = 2;
inline constexpr int RES_MAIN = 3;  // callback CC_PANEL
inline constexpr int RES_PARA1 = 4;
inline constexpr int RES_PARA2 = 5;
inline constexpr int RES_RECORDER = 6;

// Main panel
inline constexpr int MAIN_STATUS = 2;      // status line
inline constexpr int MAIN_PORTNUM = 3;     // port-number indicator
inline constexpr int MAIN_RUN = 4;         // CC_BTNRun
inline constexpr int MAIN_VIDEO = 5;       // CC_BTNVideo
inline constexpr int MAIN_SEND = 6;        // CC_BTNSend
inline constexpr int MAIN_GET = 7;         // CC_BTNGet
inline constexpr int MAIN_STOP = 8;        // CC_BTNStop
inline constexpr int MAIN_RAM = 9;         // CC_RBTRam
inline constexpr int MAIN_EEPROM = 10;     // CC_RBTEeprom
inline constexpr int MAIN_FILE = 11;       // CC_RBTFile
inline constexpr int MAIN_EDGELEFT = 15;   // E-BEG, CC_NEDITEdgeLeft
inline constexpr int MAIN_EDGERIGHT = 16;  // E-END, CC_NEDITEdgeRight
inline constexpr int MAIN_ANAVALUE = 18;   // analog-output value
inline constexpr int MAIN_ANAMAX = 19;     // maximum
inline constexpr int MAIN_DARKPIX = 21;    // dark-pixel count
inline constexpr int MAIN_ANAMIN = 22;     // minimum
inline constexpr int MAIN_RESET = 23;      // CC_ButtonReset
inline constexpr int MAIN_TRIGCOMP = 24;   // trigger companion caption
inline constexpr int MAIN_ANACOMP = 26;    // analog companion caption
inline constexpr int MAIN_MVALUE_MM = 28;  // measured value in millimetres
inline constexpr int MAIN_MVALUE = 29;     // measured value
inline constexpr int MAIN_TOLUP_MM = 30;   // upper tolerance in millimetres
inline constexpr int MAIN_TOLLOW_MM = 31;  // lower tolerance in millimetres
inline constexpr int MAIN_LEFTEDGE = 32;
inline constexpr int MAIN_RIGHTEDGE = 33;
inline constexpr int MAIN_GRAPH256 = 36;      // 256-point graph, CC_GRAPHData
inline constexpr int MAIN_VIDEOGRAPH = 37;    // CC_GRAPHVideo
inline constexpr int MAIN_PROFILE = 38;       // profile graph
inline constexpr int MAIN_ROLLGRAPH = 40;     // CC_GRAPHRaw
inline constexpr int MAIN_RAWTOGGLE = 44;     // CC_TOGGButtonRaw
inline constexpr int MAIN_ZOOMTOGGLE = 45;    // CC_TOGGButtonZoom
inline constexpr int MAIN_OUTLED_B = 47;      // output indicator (bit 1)
inline constexpr int MAIN_TRIGLED = 48;       // internal-trigger indicator
inline constexpr int MAIN_OUTLED_A = 49;      // output indicator (bit 0)
inline constexpr int MAIN_TAB_PARA1 = 50;     // CC_TOGGBTN_Para1
inline constexpr int MAIN_TAB_PARA2 = 51;     // CC_TOGGBTN_Para2
inline constexpr int MAIN_TAB_RECORDER = 52;  // CC_TOGGBTN_Recorder
inline constexpr int MAIN_TAB_CALIB = 53;     // CC_TOGGBTN_Calib
inline constexpr int MAIN_CONNECT = 54;       // CC_TOGGBTNConnect
inline constexpr int MAIN_HELP = 55;          // help box, CC_HelpText1
inline constexpr int MAIN_HELPLARGE = 56;     // large help box, CC_HelpText2
inline constexpr int MAIN_HEADER = 57;        // header strip (decoration)
inline constexpr int MAIN_LOGO = 58;          // logo picture

// Para1 panel
inline constexpr int P1_EVALMODE = 4;   // CC_DROPevalmode
inline constexpr int P1_TRGPIX = 5;     // CC_NUMtrgPix
inline constexpr int P1_TOLLOW = 6;     // CC_NEDITTolerance
inline constexpr int P1_INTRGMODE = 7;  // CC_DROPintrgMode
inline constexpr int P1_OUTMODE = 8;    // CC_DROPoutmode
inline constexpr int P1_POLARITY = 9;   // CC_DROPpolarity
inline constexpr int P1_ZOOMMODE = 10;  // CC_DROPzoomMode
inline constexpr int P1_AVERAGE = 11;   // CC_DROPaverage
inline constexpr int P1_ANAMODE = 12;   // CC_DROPanaMode
inline constexpr int P1_TOLUP = 13;     // CC_NEDITToleranceUP

// Para2 panel
inline constexpr int P2_POWER = 2;     // CC_SLIDEpower
inline constexpr int P2_VTHD = 3;      // CC_SLIDEVideoThreshold
inline constexpr int P2_VTHDMODE = 4;  // CC_DROPvthdmode
inline constexpr int P2_SAVETHD = 5;   // CC_CBTNSaveThreshold
inline constexpr int P2_TRIGMODE = 6;  // CC_DROP_TrigMode (IN0 function)
inline constexpr int P2_FILTER = 7;    // CC_DROP_FilterType
inline constexpr int P2_HWMODE = 8;    // CC_DROPhardware
inline constexpr int P2_TEACHVAL = 9;  // CC_NEDITTeach
inline constexpr int P2_TARGET = 10;   // threshold target switch, CC_BINSWTarget (1 RAM, 2 EEPROM)
inline constexpr int P2_TEACH = 11;    // CC_ButtonTeach

// Recorder panel
inline constexpr int REC_STATUS = 2;     // status box (text box)
inline constexpr int REC_SAMPLES = 3;    // CC_NUMsample, 1..32000
inline constexpr int REC_RS232MODE = 4;  // CC_DROPrs232mode
inline constexpr int REC_COUNTER = 5;    // sample counter
inline constexpr int REC_DAYS = 6;
inline constexpr int REC_HOURS = 7;
inline constexpr int REC_MINUTES = 8;
inline constexpr int REC_SECONDS = 9;
inline constexpr int REC_DATE = 10;      // date display
inline constexpr int REC_TIME = 11;      // time display
inline constexpr int REC_FILENAME = 12;  // file-name box
inline constexpr int REC_START = 13;     // CC_CBTNStartRecord
inline constexpr int REC_STOPREC = 14;   // CC_PICBTNStopRecord (one of the two other controls)
inline constexpr int REC_FILEBTN = 15;   // CC_PICBTNrecfile (the other one)
inline constexpr int REC_INCTIME = 17;   // CC_NUMinctime, 0.1..3600 s

// Calib panel
inline constexpr int CAL_STEP1 = 2;       // CC_CheckStep1
inline constexpr int CAL_INFO = 3;        // model info box, four lines
inline constexpr int CAL_REF1 = 4;        // reference-1 size in micrometres
inline constexpr int CAL_REF2 = 5;        // reference-2 size
inline constexpr int CAL_ACCEPT1 = 6;     // CC_ButtonAcceptObject1
inline constexpr int CAL_ACCEPT2 = 7;     // CC_ButtonAcceptObject2
inline constexpr int CAL_FIT = 8;         // CC_ButtonDoFit
inline constexpr int CAL_OFFSET = 9;      // offset field (um-Offset - 32767)
inline constexpr int CAL_STEP2 = 10;      // CC_CheckStep2
inline constexpr int CAL_SAVE = 11;       // CC_ButtonSaveCalValues
inline constexpr int CAL_SLOPE = 12;      // slope field (um-Slope / 1024)
inline constexpr int CAL_DISCARD = 13;    // CC_DiscardCalibration
inline constexpr int CAL_FITSLOPE = 14;   // fitted-slope display
inline constexpr int CAL_CAPTURE2 = 15;   // measured value captured in step 2
inline constexpr int CAL_CCDMODE = 16;    // CC_BINSWopmode
inline constexpr int CAL_CAPTURE1 = 17;   // measured value captured in step 1
inline constexpr int CAL_FITOFFSET = 18;  // fitted-offset display
inline constexpr int CAL_TEXTBOX = 19;    // calibration text box, CC_CalibTextBox
inline constexpr int CAL_XFLASH = 26;     // service: X-FLASH write, CC_WriteXFLASH
inline constexpr int CAL_TEST = 27;       // service: TEST, CC_TestBUTTON

// Connect pop-up
inline constexpr int CON_PORT = 2;        // CC_NUMrs232comport
inline constexpr int CON_BAUD = 3;        // CC_DROPBaudRate
inline constexpr int CON_STATUS = 4;      // pop-up status line
inline constexpr int CON_ACCEPT = 5;      // CC_CBTNAcceptComSetting
inline constexpr int CON_DISCARD = 6;     // CC_CBTNDiscardComSetting
inline constexpr int CON_TRY = 7;         // CC_CBTNTryToConnect
inline constexpr int CON_CHANGEBAUD = 8;  // CC_CBTNChangeBaudRate
inline constexpr int CON_HELP = 9;        // help box, CC_HelpText3

}  // namespace korvo::ids
