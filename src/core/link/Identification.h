#pragma once
// What the identification of a sensor decides from its answers: the firmware text taken from the
// raw bytes of the firmware query, the firmware-ID verdict (this series, a sibling series, or
// unknown), and whether the firmware version lies in the window this program supports. Pure
// functions: the caller shows the pop-ups, dims the buttons and writes the status lines.

#include <QString>
#include <cstdint>
#include <span>

namespace korvo {

inline constexpr int kFirmwareTextBytes = 72;
inline constexpr std::uint16_t kFirstSupportedFirmware = 310;
inline constexpr std::uint16_t kLastSupportedFirmware = 318;
inline constexpr char kIdentifyPopupTitle[] = "Attention !!!";

// The text in the received bytes: up to the first zero byte, never more than 72 characters and
// never beyond the bytes that actually arrived.
QString firmwareTextFromBytes(std::span<const std::uint8_t> received);

// "   SN:" and the serial number in decimal.
QString serialNumberSuffix(std::uint16_t serialNumber);

enum class FirmwareFamily { KorvoKm, Rmz12, KorvoGx, KorvoDv, Other };

struct FirmwareDecision {
    FirmwareFamily family = FirmwareFamily::Other;
    bool buttonsUsable = false;        // exchange buttons made usable (true) or dimmed (false)
    QString popupMessage;              // message pop-up text; empty = no pop-up
    QString statusText;                // new status text; empty = the status text stays
    bool popupTextIsFirmware = false;  // the connect pop-up's line gets the firmware text
    bool goOn = false;                 // go on to the hardware query
};

// Decides by prefix: "KORVO-KM", "KORVO-GX", "KORVO-DV" on 8 characters, "RMZ12" on 5.
FirmwareDecision decideFirmware(const QString& firmwareText);

enum class VersionVerdict { Supported, TooOld, TooNew };

struct VersionDecision {
    VersionVerdict verdict = VersionVerdict::Supported;
    QString popupMessage;  // empty for a supported version
    QString statusText;    // empty for a supported version (the caller shows the firmware text)
    bool buttonsUsable = true;
};

// 310 to 318 inclusive are supported.
VersionDecision checkFirmwareVersion(std::uint16_t version);

}  // namespace korvo
