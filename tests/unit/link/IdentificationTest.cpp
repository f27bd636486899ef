// Reading the firmware identification and deciding whether this program can go on with it.

#include <gtest/gtest.h>

#include <QString>
#include <vector>

#include "core/link/Identification.h"

namespace korvo {
namespace {

TEST(FirmwareText, EndsAtTheFirstZeroByteOrAfterSeventyTwoBytes) {
    std::vector<std::uint8_t> bytes{'K', 'M', ' ', 'V', '3', 0};
    bytes.resize(80, 'X');
    EXPECT_EQ(firmwareTextFromBytes(bytes), QStringLiteral("KM V3"));
    std::vector<std::uint8_t> full(100, 'A');
    std::fill(full.begin() + 72, full.end(), 'B');
    EXPECT_EQ(firmwareTextFromBytes(full), QString(72, QLatin1Char('A')));
    EXPECT_EQ(firmwareTextFromBytes(std::span(full.data(), 72)), QString(72, QLatin1Char('A')));
    EXPECT_EQ(firmwareTextFromBytes(std::span(full.data(), 8)), QString(8, QLatin1Char('A')));
    EXPECT_EQ(firmwareTextFromBytes({}), QString());
}

// The RMZ12 and KORVO-DV rows, with their texts, reach the panels in app/connect.
TEST(FirmwareDecision, EachIdentification) {
    const QString gxText = "Please use KORVO-GX-Scope software version!";
    const struct {
        const char* id;
        FirmwareFamily family;
        bool usable, goOn;
        QString popup, status;
    } cases[] = {
        {"KORVO-KM", FirmwareFamily::KorvoKm, true, true, {}, {}},
        {"KORVO-KM-8 V3.18 build 7", FirmwareFamily::KorvoKm, true, true, {}, {}},
        {"KORVO-KMX", FirmwareFamily::KorvoKm, true, true, {}, {}},
        {"KORVO-GX-20 V2.01", FirmwareFamily::KorvoGx, false, false,
         "Incompatible hardware detected!\n" + gxText, gxText},
    };
    for (const auto& c : cases) {
        const FirmwareDecision d = decideFirmware(QString::fromLatin1(c.id));
        EXPECT_EQ(d.family, c.family) << '"' << c.id << '"';
        EXPECT_EQ(d.buttonsUsable, c.usable) << c.id;
        EXPECT_EQ(d.goOn, c.goOn) << c.id;
        EXPECT_EQ(d.popupMessage, c.popup) << c.id;
        EXPECT_EQ(d.statusText, c.status) << c.id;
        EXPECT_EQ(d.popupTextIsFirmware, !c.popup.isEmpty()) << c.id;
    }
    // Prefixes must be complete and exact.
    for (const char* id : {"KORVO-K", "RMZ1", "korvo-km", " KORVO-KM", "", "KORVO-XX"}) {
        const FirmwareDecision d = decideFirmware(QString::fromLatin1(id));
        EXPECT_EQ(d.family, FirmwareFamily::Other) << '"' << id << '"';
        EXPECT_FALSE(d.buttonsUsable || d.goOn || d.popupTextIsFirmware) << id;
        EXPECT_TRUE(d.popupMessage.isEmpty() && d.statusText.isEmpty()) << id;
    }
}

// The texts for a newer firmware are met on the panels in app/connect.
TEST(FirmwareVersion, WindowIsThreeTenToThreeEighteen) {
    using V = VersionVerdict;
    const std::pair<std::uint16_t, V> versions[] = {{0, V::TooOld},      {309, V::TooOld},
                                                    {310, V::Supported}, {318, V::Supported},
                                                    {319, V::TooNew},    {65535, V::TooNew}};
    for (const auto& [version, verdict] : versions) {
        const VersionDecision d = checkFirmwareVersion(version);
        EXPECT_EQ(d.verdict, verdict) << version;
        EXPECT_EQ(d.buttonsUsable, verdict == V::Supported) << version;
        EXPECT_EQ(d.popupMessage.isEmpty(), verdict == V::Supported) << version;
    }
    const VersionDecision old = checkFirmwareVersion(309);
    EXPECT_EQ(old.popupMessage,
              QStringLiteral("Incompatible hardware detected!\n"
                             "Please use KORVO-KM-Scope software version 3.0x !"));
    EXPECT_EQ(old.statusText, QStringLiteral("Please use KORVO-KM-Scope Version 3.0x !"));
}

}  // namespace
}  // namespace korvo
