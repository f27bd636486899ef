#include "core/link/Identification.h"

#include <algorithm>

namespace korvo {

QString firmwareTextFromBytes(std::span<const std::uint8_t> received) {
    const auto limited = received.first(std::min<std::size_t>(received.size(), kFirmwareTextBytes));
    const auto end = std::find(limited.begin(), limited.end(), std::uint8_t{0});
    return QString::fromLatin1(reinterpret_cast<const char*>(limited.data()),
                               static_cast<qsizetype>(end - limited.begin()));
}

QString serialNumberSuffix(std::uint16_t serialNumber) {
    return QStringLiteral("   SN:") + QString::number(serialNumber);
}

FirmwareDecision decideFirmware(const QString& firmwareText) {
    FirmwareDecision d;
    if (firmwareText.startsWith(QLatin1String("KORVO-KM"))) {
        d.family = FirmwareFamily::KorvoKm;
        d.buttonsUsable = true;
        d.goOn = true;
    } else if (firmwareText.startsWith(QLatin1String("RMZ12"))) {
        d.family = FirmwareFamily::Rmz12;
        d.buttonsUsable = true;
        d.popupMessage = QStringLiteral(
            "Halvero RMZ-TOOL firmware-version detected!\nPlease use RMZ-TOOL-V3.1x software!");
        d.statusText = QStringLiteral("Please use RMZ-TOOL-V3.1x software!");
        d.popupTextIsFirmware = true;
        d.goOn = true;
    } else if (firmwareText.startsWith(QLatin1String("KORVO-GX"))) {
        d.family = FirmwareFamily::KorvoGx;
        d.popupMessage = QStringLiteral(
            "Incompatible hardware detected!\nPlease use KORVO-GX-Scope software version!");
        d.statusText = QStringLiteral("Please use KORVO-GX-Scope software version!");
        d.popupTextIsFirmware = true;
    } else if (firmwareText.startsWith(QLatin1String("KORVO-DV"))) {
        d.family = FirmwareFamily::KorvoDv;
        d.popupMessage = QStringLiteral(
            "Incompatible hardware detected!\nPlease use KORVO-DV-Scope software version!");
        d.statusText = QStringLiteral("Please use KORVO-DV-Scope software version!");
        d.popupTextIsFirmware = true;
    }
    return d;
}

VersionDecision checkFirmwareVersion(std::uint16_t version) {
    VersionDecision d;
    if (version < kFirstSupportedFirmware) {
        d.verdict = VersionVerdict::TooOld;
        d.popupMessage = QStringLiteral(
            "Incompatible hardware detected!\nPlease use KORVO-KM-Scope software version 3.0x !");
        d.statusText = QStringLiteral("Please use KORVO-KM-Scope Version 3.0x !");
        d.buttonsUsable = false;
    } else if (version > kLastSupportedFirmware) {
        d.verdict = VersionVerdict::TooNew;
        d.popupMessage = QStringLiteral(
            "Incompatible or newer firmware detected!\nPlease use KORVO-KM-Scope software version "
            "newer than V3.18 !");
        d.statusText = QStringLiteral("Please use KORVO-KM-Scope Version newer than V3.18 !");
        d.buttonsUsable = false;
    }
    return d;
}

}  // namespace korvo
