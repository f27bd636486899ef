#pragma once
// All program-wide state, created once at start-up and handed to whoever uses it. Nothing here
// knows about panels; the panel handles live in Panels.

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

#include "core/files/FileLocations.h"
#include "core/link/LinkState.h"
#include "core/measure/RollGraphPlan.h"
#include "core/model/ModelState.h"
#include "core/mplex/PortTable.h"
#include "core/params/ParamSet.h"
#include "core/params/VideoBuffers.h"
#include "core/sensorfn/Calibration.h"

namespace korvo {

inline constexpr int kLinearisationWords = 2048;

inline constexpr char kVersionText[] = "V3.18";
inline constexpr char kBuildText[] = "Build: 06/Nov/2013";
inline constexpr char kTitleText[] = "KORVO-KM-Scope";
inline constexpr char kMplexSettingsFile[] = "MPLEX16.ini";
inline constexpr char kRecorderFile[] = "RECORD.DAT";

// A parameter set a sensor holds, as the window last read it from there or wrote it there.
struct KnownSensorSet {
    int com = 0;
    std::uint16_t serial = 0;
    std::optional<ParamSet> set;
};

struct AppState {
    RunRecord shortRun;  // last record reply
    RollBuffer roll;     // the roll graph's last 100 samples, kept between runs
    std::array<std::uint16_t, kLinearisationWords> linTable{};
    MplexTable mplex;  // 7 groups x 16 ports, general values, current port

    int memoryTarget = 1;  // of GET and SEND: 1 RAM, 2 EEPROM, 3 File (MemoryTarget)
    int teachInProgress = 0;
    CalibrationSteps calib;             // the calibration in progress on the Calib panel
    int serviceState = 0;               // 1 while the Calib panel's service controls are shown
    std::uint16_t savedPortNumber = 1;  // restored by DISCARD of the connect pop-up
    std::uint16_t savedBaudIndex = 1;

    KnownSensorSet knownRam, knownEeprom;  // for the audit log's old values (AuditTrail.h)
    QString modelLine;  // the connected model's designation, when the model table has it

    QString versionText;
    QString buildText;
    QString titleText;
    QString recorderPath;  // absolute path of the recorder data file
    FileLocations files;   // layouts and bitmaps, settings files, where the file dialogs start

    // "KORVO-KM-Scope V3.18": the scope window's title.
    QString scopeWindowTitle() const { return titleText + QLatin1Char(' ') + versionText; }
    // Absolute path of a settings file (MPLEX16.ini, KORVO-KM-Scope.ini, the port map).
    QString settingsFile(const QString& name) const { return files.settingsFile(name); }
};

}  // namespace korvo
