#include <gtest/gtest.h>

#include <QString>
#include <vector>

#include "core/link/Identification.h"

namespace korvo {
namespace {

std::vector<std::uint8_t> bytesOf(const char* text) {
    std::vector<std::uint8_t> b;
    for (const char* p = text; *p; ++p) b.push_back(static_cast<std::uint8_t>(*p));
    return b;
}

TEST(FirmwareText, EndsAtTheFirstZeroByte) {
    auto bytes = bytesOf("KORVO-KM V3.18");
    bytes.push_back(0);
    for (int i = 0; i < 70; ++i) bytes.push_back('X');
    EXPECT_EQ(firmwareTextFromBytes(bytes), QStringLiteral("KORVO-KM V3.18"));
}

TEST(FirmwareText, SeventyTwoBytesWithoutZeroGiveSeventyTwoCharacters) {
    std::vector<std::uint8_t> bytes(100, 'A');
    for (int i = 72; i < 100; ++i) bytes[i] = 'B';
    const QString text = firmwareTextFromBytes(bytes);
    EXPECT_EQ(text, QString(72, QLatin1Char('A')));
    EXPECT_EQ(firmwareTextFromBytes(std::span(bytes.data(), 72)), QString(72, QLatin1Char('A')));
}

TEST(FirmwareText, ShortAnswerGivesOnlyWhatArrived) {
    const auto bytes = bytesOf("KORVO-KM");
    EXPECT_EQ(firmwareTextFromBytes(bytes), QStringLiteral("KORVO-KM"));
    EXPECT_EQ(firmwareTextFromBytes({}), QString());
}

TEST(SerialNumber, ThreeBlanksThenDecimal) {
    EXPECT_EQ(serialNumberSuffix(4711), QStringLiteral("   SN:4711"));
    EXPECT_EQ(serialNumberSuffix(0), QStringLiteral("   SN:0"));
    EXPECT_EQ(serialNumberSuffix(65535), QStringLiteral("   SN:65535"));
}

TEST(FirmwareDecision, ThisSeriesGoesOnWithButtonsUsable) {
    for (const char* id : {"KORVO-KM", "KORVO-KM-8 V3.18 build 7", "KORVO-KMX"}) {
        const FirmwareDecision d = decideFirmware(QString::fromLatin1(id));
        EXPECT_EQ(d.family, FirmwareFamily::KorvoKm) << id;
        EXPECT_TRUE(d.buttonsUsable);
        EXPECT_TRUE(d.goOn);
        EXPECT_TRUE(d.popupMessage.isEmpty());
        EXPECT_TRUE(d.statusText.isEmpty());
        EXPECT_FALSE(d.popupTextIsFirmware);
    }
}

TEST(FirmwareDecision, RmzToolFirmwareWarnsButGoesOn) {
    const FirmwareDecision d = decideFirmware(QStringLiteral("RMZ12-V3.12"));
    EXPECT_EQ(d.family, FirmwareFamily::Rmz12);
    EXPECT_TRUE(d.buttonsUsable);
    EXPECT_TRUE(d.goOn);
    EXPECT_EQ(d.popupMessage, QStringLiteral("Halvero RMZ-TOOL firmware-version detected!\n"
                                             "Please use RMZ-TOOL-V3.1x software!"));
    EXPECT_EQ(d.statusText, QStringLiteral("Please use RMZ-TOOL-V3.1x software!"));
    EXPECT_TRUE(d.popupTextIsFirmware);
}

TEST(FirmwareDecision, SiblingSeriesAreRefused) {
    const FirmwareDecision gx = decideFirmware(QStringLiteral("KORVO-GX-20 V2.01"));
    EXPECT_EQ(gx.family, FirmwareFamily::KorvoGx);
    EXPECT_FALSE(gx.buttonsUsable);
    EXPECT_FALSE(gx.goOn);
    EXPECT_EQ(gx.popupMessage, QStringLiteral("Incompatible hardware detected!\n"
                                              "Please use KORVO-GX-Scope software version!"));
    EXPECT_EQ(gx.statusText, QStringLiteral("Please use KORVO-GX-Scope software version!"));
    EXPECT_TRUE(gx.popupTextIsFirmware);

    const FirmwareDecision dv = decideFirmware(QStringLiteral("KORVO-DV"));
    EXPECT_EQ(dv.family, FirmwareFamily::KorvoDv);
    EXPECT_FALSE(dv.buttonsUsable);
    EXPECT_FALSE(dv.goOn);
    EXPECT_EQ(dv.popupMessage, QStringLiteral("Incompatible hardware detected!\n"
                                              "Please use KORVO-DV-Scope software version!"));
    EXPECT_EQ(dv.statusText, QStringLiteral("Please use KORVO-DV-Scope software version!"));
}

TEST(FirmwareDecision, PrefixesMustBeComplete) {
    // Seven characters of this series' ID, four of the RMZ ID, lower case, a leading blank.
    for (const char* id : {"KORVO-K", "RMZ1", "korvo-km", " KORVO-KM", "", "KORVO-XX"}) {
        const FirmwareDecision d = decideFirmware(QString::fromLatin1(id));
        EXPECT_EQ(d.family, FirmwareFamily::Other) << '"' << id << '"';
        EXPECT_FALSE(d.buttonsUsable);
        EXPECT_FALSE(d.goOn);
        EXPECT_TRUE(d.popupMessage.isEmpty());
        EXPECT_TRUE(d.statusText.isEmpty());
        EXPECT_FALSE(d.popupTextIsFirmware);
    }
}

TEST(FirmwareVersion, WindowIsThreeTenToThreeEighteen) {
    EXPECT_EQ(checkFirmwareVersion(310).verdict, VersionVerdict::Supported);
    EXPECT_EQ(checkFirmwareVersion(318).verdict, VersionVerdict::Supported);
    EXPECT_TRUE(checkFirmwareVersion(314).buttonsUsable);
    EXPECT_TRUE(checkFirmwareVersion(318).popupMessage.isEmpty());

    const VersionDecision old = checkFirmwareVersion(309);
    EXPECT_EQ(old.verdict, VersionVerdict::TooOld);
    EXPECT_FALSE(old.buttonsUsable);
    EXPECT_EQ(old.popupMessage,
              QStringLiteral("Incompatible hardware detected!\n"
                             "Please use KORVO-KM-Scope software version 3.0x !"));
    EXPECT_EQ(old.statusText, QStringLiteral("Please use KORVO-KM-Scope Version 3.0x !"));
    EXPECT_EQ(checkFirmwareVersion(0).verdict, VersionVerdict::TooOld);

    const VersionDecision newer = checkFirmwareVersion(319);
    EXPECT_EQ(newer.verdict, VersionVerdict::TooNew);
    EXPECT_FALSE(newer.buttonsUsable);
    EXPECT_EQ(newer.popupMessage,
              QStringLiteral("Incompatible or newer firmware detected!\n"
                             "Please use KORVO-KM-Scope software version newer than V3.18 !"));
    EXPECT_EQ(newer.statusText,
              QStringLiteral("Please use KORVO-KM-Scope Version newer than V3.18 !"));
    EXPECT_EQ(checkFirmwareVersion(65535).verdict, VersionVerdict::TooNew);
}

}  // namespace
}  // namespace korvo
