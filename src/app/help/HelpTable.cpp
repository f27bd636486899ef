#include "app/help/HelpTable.h"

#include <algorithm>

namespace korvo {
namespace {

constexpr char kVideoGraphHelp[] =
    "VIDEO-GRAPH-WINDOW:\nVisualizes the actual video signal\nof the CCD-sensor. The video "
    "signal\nrepresents the analog-value of each pixel.\nBecause of the limited baudrate of "
    "the\nserial RS232 interface, the graph is\nrefreshed slowly.\n";

using enum HelpBox;
using enum HelpAnchor;

constexpr HelpRow kHelpRows[] = {
    // ---- main panel commands ----------------------------------------------------------------
    {"CC_BTNRun", Normal, Clicked, 1, 10, -10,
     "RUN-BUTTON:\nStart the continuosly serial RS232-data-\ntransfer between PC and KORVO "
     "sensor...\nA frame of 16 meas.-values is transferred!"},
    {"CC_BTNStop", Normal, Clicked, 1, 10, -10,
     "STOP-BUTTON:\nStops the serial RS232-data-transfer\nbetween PC and KORVO sensor."},
    {"CC_BTNVideo", Normal, Clicked, 1, 10, -10,
     "VIDEO-BUTTON:\nTransfer video-signal (pixel information)\n= intensity profile at "
     "CCD-line, via\nserial communication interface to PC."},
    {"CC_ButtonReset", Normal, Clicked, 1, 10, -10,
     "RESET-BUTTON:\nReset the actual maxima und minima\nvalues at the KORVO-hardware.\nNo "
     "software/hardware reset is done !"},
    {"CC_TOGGButtonZoom", Normal, Clicked, 1, 10, -10,
     "ZOOM-TOGGLE-BUTTON:\nActivate / Deactivate automatic\nzoom function for y-axis of "
     "\nmeasurement-values. RUN-mode"},
    {"CC_BTNSend", Normal, Clicked, 1, 20, -20,
     "SEND-BUTTON:\nSend parameter-frame to EEPROM- or\nRAM-memory of the KORVO-sensor!"},
    {"CC_BTNGet", Normal, Clicked, 1, 20, -40,
     "GET-BUTTON:\nGet parameter-frame of KORVO sensor\nfrom EEPROM- or RAM-memory ..."},
    {"CC_NEDITEdgeLeft", Normal, Clicked, 1, 10, -20,
     "E-BEG:\nSet evaluation begin at the KORVO sensor\nEvaluation starts with this pixel ..."},
    {"CC_NEDITEdgeRight", Normal, Clicked, -1, -100, -20,
     "E-END:\nSet evaluation end at the KORVO sensor\nEvaluation ends with this pixel ..."},
    {"CC_TOGGBTNConnect", Normal, Clicked, 1, 10, -60,
     "CONNECT-BUTTON:\nOpens a popup-window to preset some\nsettings for the serial rs232 "
     "data-transfer"},
    {"CC_GRAPHRaw", Large, RollGraph, 0, 80, 40,
     "ROLL-GRAPH-WINDOW:\nVisualizes the actual measurement value\nin pixel. The Graph is "
     "displayed in a\n'roll-mode', the latest value is rolling from\nthe left (index=100) to "
     "the right.\nThe baudrate of the serial rs232-interface\nlimits the update-rate of this "
     "graph."},
    {"CC_GRAPHVideo", Large, RollGraph, 0, 80, 40, kVideoGraphHelp},
    {"CC_GRAPHData", Large, RollGraph, 0, 80, 40, kVideoGraphHelp},

    // ---- parameter controls of Para1, Para2 and Calib ---------------------------------------
    {"CC_DROPevalmode", Normal, Clicked, 1, 20, -10,
     "EVALUATION-MODE:\nDrop-down element to select an\nevaluation mode at the KORVO-sensor."},
    {"CC_DROPintrgMode", Normal, Clicked, 1, 20, -5,
     "INTERNAL-TRIGG-MODE:\nDrop-down element to select an\ninternal trigger mode at the "
     "KORVO-sensor."},
    {"CC_NUMtrgPix", Normal, Clicked, 1, 20, -5,
     "MIN-TRIGGER-PIXEL:\nNumerical input to set the minimum \nnumber of dark-pixel for the "
     "internal-trigger \nevent at the KORVO-sensor."},
    {"CC_DROPhardware", Normal, Clicked, 1, 20, -10,
     "HARDWARE OPERATION-MODE:\nDrop-down element to enable or disable \nharware components "
     "e.g. the button or\npotentiometer at the KORVO-housing."},
    {"CC_DROPpolarity", Normal, Clicked, 1, 20, -10,
     "POLARITY:\nDrop-down element to change the polarity\n(0V,+24VDC) of the digital outputs "
     "OUTx,\nof the KORVO-sensor."},
    {"CC_DROPoutmode", Normal, Clicked, 1, 20, -10,
     "OUT-MODE:\nDrop-down element to select a working mode\nfor the digital outputs "
     "OUT0,OUT1,(OUT2),\nof the KORVO-sensor."},
    {"CC_DROPaverage", Large, Clicked, 1, 20, -10,
     "AVERAGE:\nNumber of CCD-scans which are stored\nin a ring-buffer. On each "
     "main-loop-cycle\na mean-value is calculated out of the\nthe ring-buffer.\nThe switching "
     "frequency is not reduced!\nAveraging affects the analog output\nvoltage "
     "(lowpass-behaviour)."},
    {"CC_DROPanaMode", Normal, Clicked, 1, 20, -10,
     "ANALOG-OUT:\nDrop-down element to preset the mode\nof the analog output. The "
     "analog-output\nis connected to /pin8/red/8-pole socket."},
    {"CC_DROPzoomMode", Normal, Clicked, 1, 20, -10,
     "ZOOM-MODE:\nDrop-down element to preset the zoom \nmode of the analog output. \n"},
    {"CC_NEDITToleranceUP", Normal, Clicked, 1, 20, -10,
     "TOLERANCE-HIGH:\nNumerical input field to preset the upper\ntolerance limit in [pixel] "
     "at the hardware."},
    // Firmware 302 and below has one tolerance value for both limits.
    {"CC_NEDITTolerance", Normal, Clicked, 1, 20, -10,
     "TOLERANCE-LOW:\nNumerical input field to preset the lower\ntolerance limit in [pixel] "
     "at the hardware.",
     "TOLERANCE-VALUE:\nNumerical input field to preset the lower\nand upper tolerance "
     "limit in [pixel] \nat the hardware."},
    {"CC_SLIDEpower", Normal, Clicked, 1, 160, -10,
     "POWER:\nWith this slider, the power of the light-\nsource at the KORVO-sensor can be "
     "set."},
    {"CC_SLIDEVideoThreshold", Normal, Clicked, 1, 35, -10,
     "V-THD:\nWith this slider, the video-threshold for\nthe calculation of the edges can be "
     "set.\nIt is displayed by the green horiz. line!"},
    {"CC_BINSWopmode", Normal, Clicked, 1, 140, -10,
     "CCD-OPERATION-MODE:\nWith this binary-switch the operation mode for\nthe ccd-cmos "
     "receiver is set."},
    {"CC_DROP_FilterType", Normal, Clicked, 1, 20, -10,
     "SMOOTH-VIDEO-SIGNAL:\nActivate/Deactivate digital filtering of the\nvideo-signal.\nA "
     "moving average of n-th order is applied\nto the video-data."},
    {"CC_DROP_TrigMode", Normal, Clicked, 1, 20, -10,
     "EXT-IN0-TRIG-MODE:\nSelect a working-mode at KORVO-sensor\nfor external IN0 digital "
     "input <pin3> wire of \n8-pole. female connector."},
    {"CC_DROPvthdmode", Normal, Clicked, 1, 20, -10,
     "VIDEO-THD-MODE:\nFIXED: Horizontal video-threshold is used. \nAUTO:  Video-threshold is "
     "calculated from\nthe intensity profile."},
    {"CC_BINSWTarget", Normal, Clicked, 1, 55, -10,
     "TARGET SWITCH\nSelect storage location for video-threshold.\nRAM:    store in volatile "
     "RAM memory.\nEEPROM: store in nonvolatile EEPROM."},
    {"CC_CBTNSaveThreshold", Normal, Clicked, 1, 165, -10,
     "SAVE V-THD:\nWith this button the actual video-threshold\nis stored to the EEPROM of the "
     "sensor.\nATTENTION: LIGHT-MEASURING \nSECTION MUST BE FREE !"},
    {"CC_ButtonTeach", Normal, Clicked, 0, 100, -10,
     "TEACH-BUTTON:\nStart teach procedure at KORVO-sensor.\nThe actual pixel-position == "
     "teach value"},
    {"CC_NEDITTeach", Normal, Clicked, 1, 130, -5,
     "TEACH-VALUE [Pixel]:\nEdit-field to preset the pixel-position\nof the setpoint value == "
     "teach value."},

    // ---- connect pop-up ---------------------------------------------------------------------
    // The Recorder panel's controls.
    {"CC_DROPrs232mode", Normal, Clicked, 1, 20, -10,
     "RS-232-MODE for meas-data output:\nSTATIC(REC):= recorder activates transfer "
     "\nEXT-IN0-L/H:= trigg. transfer with recorder.\nEXT-IN0-L/H(3-BYTE):= triggerd 3-Byte "
     "trans.\nCONTINUOUS := automatic 3-Byte transfer."},
    {"CC_NUMsample", Normal, Clicked, 1, 20, -10,
     "SAMPLES [MAX 32000]:\nSpecify the number of samples to \nbe recorded. \nMinimum: 1 "
     "sample \nMaximum: 32000 samples "},
    {"CC_NUMinctime", Normal, Clicked, 1, 20, -10,
     "TIME-INTERVAL [0.1 ..3600] sec:\nSpecify time interval between two \nsingle "
     "recording-events.\nMinimum: 0.1 sec (fastest recording)\nMaximum: 3600 sec (store once "
     "per hour) "},
    {"CC_CBTNTryToConnect", Connect, Clicked, 0, 15, -65,
     "TRY TO CONNECT BUTTON:\nOutputs a serial data-frame to sensor and\nwaiting for an echo! "
     "The data-frame is sent\nwith the preset baudrate and rs232port port number."},
    {"CC_CBTNAcceptComSetting", Connect, Clicked, 0, 10, -65,
     "ACCEPT COM SETTINGS BUTTON:\nExit the CONNECT-popup-window !\nStore actual settings for "
     "baudrate and rs232port port number."},
    {"CC_CBTNDiscardComSetting", Connect, Clicked, 0, -200, -65,
     "DISCARD BUTTON:\nExit the CONNECT-popup-window !\nUse old settings for baudrate and "
     "rs232-port-number."},
};

}  // namespace

std::span<const HelpRow> helpRows() {
    return kHelpRows;
}

const HelpRow* findHelpRow(const QString& callback) {
    for (const HelpRow& row : kHelpRows)
        if (callback == QLatin1String(row.callback)) return &row;
    return nullptr;
}

QPoint helpBoxPlace(const HelpRow& row, const QRect& measured) {
    return {measured.left() + row.widthFactor * measured.width() + row.dx, measured.top() + row.dy};
}

QPoint helpBoxInside(QPoint wanted, QSize box, QSize area) {
    return {std::max(0, std::min(wanted.x(), area.width() - box.width())),
            std::max(0, std::min(wanted.y(), area.height() - box.height()))};
}

QString helpText(const HelpRow& row, int firmwareVersion) {
    const bool old = row.textUpTo302 != nullptr && firmwareVersion <= 302;
    return QString::fromLatin1(old ? row.textUpTo302 : row.text);
}

}  // namespace korvo
