// The identification: the firmware text from the bytes that arrived, the verdict on it, and the
// version check on a version word. Any bytes give a text of at most 72 characters taken from
// their start up to the first zero byte, and a consistent verdict.

#include <QString>
#include <span>

#include "FuzzCheck.h"
#include "core/link/Identification.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvo;
    const std::span<const std::uint8_t> received(data, size);
    const QString text = firmwareTextFromBytes(received);
    FUZZ_CHECK(text.size() <= kFirmwareTextBytes);
    FUZZ_CHECK(static_cast<std::size_t>(text.size()) <= size);
    for (qsizetype i = 0; i < text.size(); ++i) FUZZ_CHECK(text[i].unicode() == data[i]);
    FUZZ_CHECK(text.size() == kFirmwareTextBytes || static_cast<std::size_t>(text.size()) == size ||
               data[text.size()] == 0);

    const FirmwareDecision d = decideFirmware(text);
    FUZZ_CHECK(!d.goOn || d.buttonsUsable);
    const bool served = d.family == FirmwareFamily::KorvoKm || d.family == FirmwareFamily::Other;
    FUZZ_CHECK(d.popupMessage.isEmpty() == served);
    FUZZ_CHECK(d.popupMessage.isEmpty() == d.statusText.isEmpty());

    if (size >= 2) {
        const auto version = static_cast<std::uint16_t>(data[0] << 8 | data[1]);
        const VersionDecision v = checkFirmwareVersion(version);
        const bool supported =
            version >= kFirstSupportedFirmware && version <= kLastSupportedFirmware;
        FUZZ_CHECK((v.verdict == VersionVerdict::Supported) == supported);
        FUZZ_CHECK(v.buttonsUsable == supported && v.popupMessage.isEmpty() == supported);
        FUZZ_CHECK(serialNumberSuffix(version).endsWith(QString::number(version)));
    }
    return 0;
}
