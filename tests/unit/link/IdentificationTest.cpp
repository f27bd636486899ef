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
    EXPECT_EQ(serialNumberSuffix(4711), QStringLiteral("   SN:4711"));
    EXPECT_EQ(serialNumberSuffix(65535), QStringLiteral("   SN:65535"));
}

TEST(FirmwareDecision, EachIdentification) {
    const QString gxText = "Please use KORVO-GX-Scope software version!";
    const QString dvText = "Please use KORVO-DV-Scope software version!";
    const QString rmzText = "Please use RMZ-TOOL-V3.1x software!";
    struct Case {
        const char* id;
        FirmwareFamily family;
        bool usable, goOn;
        QString popup, status;
    };
    const Case cases[] = {
        {"KORVO-KM", FirmwareFamily::KorvoKm, true, true, {}, {}},
        {"KORVO-KM-8 V3.18 build 7", FirmwareFamily::KorvoKm, true, true, {}, {}},
        {"KORVO-KMX", FirmwareFamily::KorvoKm, true, true, {}, {}},
        {"RMZ12-V3.12", FirmwareFamily::Rmz12, true, true,
         "Halvero RMZ-TOOL firmware-version detected!\n" + rmzText, rmzText},
        {"KORVO-GX-20 V2.01", FirmwareFamily::KorvoGx, false, false,
         "Incompatible hardware detected!\n" + gxText, gxText},
        {"KORVO-DV", FirmwareFamily::KorvoDv, false, false,
         "Incompatible hardware detected!\n" + dvText, dvText},
    };
    for (const Case& c : cases) {
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

TEST(FirmwareVersion, WindowIsThreeTenToThreeEighteen) {
    for (std::uint16_t v : {310, 314, 318}) {
        const VersionDecision d = checkFirmwareVersion(v);
        EXPECT_EQ(d.verdict, VersionVerdict::Supported) << v;
        EXPECT_TRUE(d.buttonsUsable) << v;
        EXPECT_TRUE(d.popupMessage.isEmpty()) << v;
    }
    for (std::uint16_t v : {0, 309}) {
        const VersionDecision d = checkFirmwareVersion(v);
        EXPECT_EQ(d.verdict, VersionVerdict::TooOld) << v;
        EXPECT_FALSE(d.buttonsUsable);
        EXPECT_EQ(d.popupMessage,
                  QStringLiteral("Incompatible hardware detected!\n"
                                 "Please use KORVO-KM-Scope software version 3.0x !"));
        EXPECT_EQ(d.statusText, QStringLiteral("Please use KORVO-KM-Scope Version 3.0x !"));
    }
    for (std::uint16_t v : {319, 65535}) {
        const VersionDecision d = checkFirmwareVersion(v);
        EXPECT_EQ(d.verdict, VersionVerdict::TooNew) << v;
        EXPECT_FALSE(d.buttonsUsable);
        EXPECT_EQ(d.popupMessage,
                  QStringLiteral("Incompatible or newer firmware detected!\n"
                                 "Please use KORVO-KM-Scope software version newer than V3.18 !"));
        EXPECT_EQ(d.statusText,
                  QStringLiteral("Please use KORVO-KM-Scope Version newer than V3.18 !"));
    }
}

}  // namespace
}  // namespace korvo
