#include "core/link/IdentifySensor.h"

namespace korvo {

namespace {

IdentifyReport& fail(IdentifyReport& report, IdentifyVerdict verdict, const QString& reason) {
    report.verdict = verdict;
    report.reason = reason;
    return report;
}

}  // namespace

const char* verdictName(IdentifyVerdict verdict) {
    switch (verdict) {
        case IdentifyVerdict::Accepted:
            return "accepted";
        case IdentifyVerdict::Refused:
            return "refused";
        case IdentifyVerdict::Failed:
            break;
    }
    return "failed";
}

IdentifyReport identifySensor(PortSensor& sensor, int port, const IdentifyOptions& options) {
    IdentifyReport report;
    LinkState& s = sensor.link;
    Pump& pump = sensor.pump();

    sensor.WriteDummyFrame(port);
    pump.delay(options.settleSeconds);
    // A reply of another kind leaves the status text as it was: say what happened instead.
    s.setStatus(QStringLiteral("reply of another kind to the line check"));
    report.lineCheck =
        options.zeroLineCheck ? sensor.Check232Line(port) : sensor.CheckComLine(port);
    report.serialNumber = s.serialNumber;
    if (report.lineCheck != 1) return fail(report, IdentifyVerdict::Failed, s.statusText);

    pump.delay(options.settleSeconds);
    report.firmwareBytes = sensor.GetVERSIONInfo(port);
    report.firmwareText = s.firmwareText;
    if (report.firmwareBytes < kFirmwareTextBytes) {
        s.setStatus(QStringLiteral("Error reading firmware-info!"));
        return fail(report, IdentifyVerdict::Failed, s.statusText);
    }

    const FirmwareDecision firmware = decideFirmware(report.firmwareText);
    report.family = firmware.family;
    if (!firmware.statusText.isEmpty()) s.setStatus(firmware.statusText);
    if (!firmware.goOn) {
        // An unknown ID gets no message in the window: its buttons simply stay dimmed.
        const QString why = firmware.statusText.isEmpty()
                                ? QStringLiteral("firmware ID of another series")
                                : firmware.statusText;
        return fail(report, IdentifyVerdict::Refused, why);
    }

    pump.delay(options.settleSeconds);
    const HardwareQuery hardware = sensor.GetHARDWAREInfo(port);
    if (hardware.result != 1 || !hardware.profile) {
        s.setStatus(QStringLiteral("Error reading HARDWARE-info!"));
        return fail(report, IdentifyVerdict::Failed, s.statusText);
    }
    report.hardwareRead = true;
    report.hardware = sensor.model.info;
    report.profile = hardware.profile;
    if (hardware.profile->infoLines[0] && hardware.profile->rowMatched)
        report.modelLine = hardware.profile->infoLines[0]->trimmed();
    else if (hardware.profile->fallBack && hardware.profile->infoLines[0])
        report.modelLine = *hardware.profile->infoLines[0];

    const VersionDecision version = checkFirmwareVersion(sensor.model.firmwareVersion);
    report.version = version.verdict;
    if (version.verdict != VersionVerdict::Supported) {
        s.setStatus(version.statusText);
        return fail(report, IdentifyVerdict::Refused, version.statusText);
    }

    report.verdict = IdentifyVerdict::Accepted;
    // The window goes on with a sibling tool's warning pop-up for RMZ12 firmware.
    if (firmware.family == FirmwareFamily::Rmz12) report.reason = firmware.statusText;
    if (options.readParameters) {
        pump.delay(options.settleSeconds);
        // The second half is asked for even when the first failed, as the window does; the
        // reason kept is the first failure's.
        for (std::uint16_t half = 0; half < 2; ++half) {
            if (half == 1) pump.delay(options.settleSeconds);
            if (sensor.GetParamHalf(kMemoryRam, half, port, sensor.params) != 1 &&
                report.parametersRead == 0) {
                report.parametersRead = -1;
                report.parametersReason = QStringLiteral("para%1: %2").arg(half).arg(s.statusText);
            }
        }
        if (report.parametersRead == 0) report.parametersRead = 1;
    }
    s.setStatus(report.firmwareText);
    return report;
}

}  // namespace korvo
