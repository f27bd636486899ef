#include "LinkRig.h"
#include "core/link/Identification.h"

namespace korvo::test {
namespace {

// One sensor per firmware ID and per edge of the version window, each on its own COM port.
const struct {
    const char* id;
    std::uint16_t firmware;
    FirmwareFamily family;
    VersionVerdict verdict;
} kSensors[] = {
    {"KORVO-KM", 318, FirmwareFamily::KorvoKm, VersionVerdict::Supported},
    {"KORVO-KM", 310, FirmwareFamily::KorvoKm, VersionVerdict::Supported},
    {"KORVO-KM", 309, FirmwareFamily::KorvoKm, VersionVerdict::TooOld},
    {"KORVO-KM", 319, FirmwareFamily::KorvoKm, VersionVerdict::TooNew},
    {"RMZ12", 312, FirmwareFamily::Rmz12, VersionVerdict::Supported},
    {"KORVO-GX", 318, FirmwareFamily::KorvoGx, VersionVerdict::Supported},
    {"KORVO-DV", 318, FirmwareFamily::KorvoDv, VersionVerdict::Supported},
    {"KORVO-K", 318, FirmwareFamily::Other, VersionVerdict::Supported},
};

TEST(Identify, FirmwareIdAndVersionOfEverySensor) {
    std::vector<sim::SensorConfig> configs;
    for (const auto& s : kSensors) {
        sim::SensorConfig c;
        c.firmwareId = s.id;
        c.firmware = s.firmware;
        c.serial = static_cast<std::uint16_t>(1000 + configs.size());
        configs.push_back(c);
    }
    LinkRig rig(configs);
    for (int i = 0; i < static_cast<int>(std::size(kSensors)); ++i) {
        const auto& s = kSensors[i];
        const int com = i + 1;
        SCOPED_TRACE(std::string(s.id) + " " + std::to_string(s.firmware));
        rig.open(com);
        EXPECT_EQ(rig.sensorLink.WriteDummyFrame(com), 1);
        EXPECT_EQ(rig.link.statusText, QStringLiteral("Writing RS-232 dummy frame ok!"));
        ASSERT_EQ(rig.sensorLink.CheckComLine(com), 1);
        const QString lineOk = QStringLiteral("Echo Check - Line Ok!   SN:%1").arg(1000 + i);
        EXPECT_TRUE(rig.sink.saw(lineOk, StatusLine::Both));
        EXPECT_EQ(rig.link.serialNumber, 1000 + i);

        ASSERT_GE(rig.sensorLink.GetVERSIONInfo(com), 72);
        EXPECT_TRUE(rig.link.firmwareText.startsWith(QLatin1String(s.id)));
        EXPECT_LE(rig.link.firmwareText.size(), 72);
        EXPECT_EQ(rig.link.statusText, rig.link.firmwareText);
        const FirmwareDecision decision = decideFirmware(rig.link.firmwareText);
        EXPECT_EQ(decision.family, s.family);
        if (!decision.goOn) continue;

        const HardwareQuery hw = rig.sensorLink.GetHARDWAREInfo(com);
        ASSERT_EQ(hw.result, 1);
        ASSERT_TRUE(hw.profile.has_value());
        EXPECT_TRUE(hw.profile->rowMatched);
        EXPECT_EQ(rig.model.familyCode, 1);
        EXPECT_EQ(rig.model.variantCode, 80);
        EXPECT_EQ(checkFirmwareVersion(rig.model.firmwareVersion).verdict, s.verdict);
    }
}

TEST(Identify, RequestFramesOfTheLineChecks) {
    LinkRig rig;
    rig.open();
    rig.sensorLink.WriteDummyFrame(1);
    EXPECT_EQ(rig.takeRequest(), frameHex("0055 0000 0000"));
    // The scope window's check carries para0 (the defaults here).
    ASSERT_EQ(rig.sensorLink.CheckComLine(1), 1);
    EXPECT_EQ(rig.takeRequest(), frameHex("0055 0005 0000 01F4 0001 0001 0001 0001 0400 0200 "
                                          "0064 0064 0001 0000 0000 0000 0001 0000"));
    // The multiplexer's check carries zero words and shows nothing itself.
    rig.sink.clear();
    ASSERT_EQ(rig.sensorLink.Check232Line(1), 1);
    EXPECT_EQ(rig.takeRequest(), frameHex("0055 0005 0000"));
    EXPECT_EQ(rig.link.mplexStatusText, QStringLiteral("Line OK!   SN:4711"));
    EXPECT_EQ(rig.link.statusText, QStringLiteral("Line OK!   SN:4711"));
    EXPECT_TRUE(rig.sink.shown.empty());

    ASSERT_GE(rig.sensorLink.GetVERSIONInfo(1), 72);
    EXPECT_EQ(rig.takeRequest().left(6), frameHex("0055 0007 0000").left(6));
    EXPECT_TRUE(rig.sink.saw(QStringLiteral("Waiting for firmware info ..."), StatusLine::Both));
}

}  // namespace
}  // namespace korvo::test
