#pragma once
// The connect sequence of the scope window without its screen: dummy frame, line check, firmware
// text and firmware-ID decision, hardware information with the model table, the firmware version
// window, and optionally both parameter halves from RAM. It reports what the window would decide
// (usable, refused with the reason the window gives, or failed) instead of showing pop-ups and
// dimming buttons, so that tools without a window reach the same verdict.

#include <QString>
#include <cstdint>
#include <optional>

#include "core/link/Identification.h"
#include "core/link/PortSensor.h"
#include "core/model/ModelTable.h"

namespace korvo {

enum class IdentifyVerdict {
    Accepted,  // the window makes its exchange buttons usable
    Refused,   // the sensor answers, but the window dims its buttons (series or version)
    Failed,    // no usable answer: time-out, no sync word, short firmware text, no hardware info
};

struct IdentifyOptions {
    double settleSeconds = 0.05;  // pause before the line check, the firmware text and the query
    bool readParameters = false;  // on acceptance, GET both halves from RAM as the window does
    // The multiplexer's line check (all-zero data words, 0.5 s) instead of the connect
    // sequence's, which carries the PC's para0: for a sensor whose set is not known yet.
    bool zeroLineCheck = false;
};

struct IdentifyReport {
    IdentifyVerdict verdict = IdentifyVerdict::Failed;
    // Why the sensor was refused or failed, in the window's own words; for an accepted sensor of
    // the RMZ12 series the warning the window pops up. Empty otherwise.
    QString reason;
    int lineCheck = 0;  // 1 good, 0 no sync word or another kind of reply, -1 time-out
    std::uint16_t serialNumber = 0;
    int firmwareBytes = 0;  // bytes that came for the firmware text (72 or more: complete)
    QString firmwareText;
    FirmwareFamily family = FirmwareFamily::Other;
    bool hardwareRead = false;
    HardwareInfo hardware;
    std::optional<ModelProfile> profile;  // set when the hardware information was read
    std::optional<VersionVerdict> version;
    // The model's designation (info line 1); empty when the model table has no row for it.
    QString modelLine;
    // readParameters: 1 when both halves came, -1 when one timed out (the verdict stays), with
    // the half and the exchange's own message ("para1: Timeout-RS-232...") in parametersReason:
    // the status text ends as the window's, with the firmware text.
    int parametersRead = 0;
    QString parametersReason;
};

// Runs the sequence on an open port. The link's status text ends as the window's would.
IdentifyReport identifySensor(PortSensor& sensor, int port, const IdentifyOptions& options = {});

// "accepted", "refused", "failed".
const char* verdictName(IdentifyVerdict verdict);

}  // namespace korvo
