// The scope toggle of a port hands its sensor to the scope window: the multiplexer's connect
// sequence identifies the sensor, applies its model to the panels and reads its parameters.

#include <QStringList>

#include "app/ConnectSequence.h"
#include "support/GuiFixture.h"
#include "ui/Graph.h"

namespace korvo::test {
namespace {

using namespace ids;
using sim::SensorConfig;

const QString kAttention = QStringLiteral("Attention !!!");

class IdentifyScopeTest : public FarmAppTest {};

TEST_F(IdentifyScopeTest, ScopeToggleIdentifiesSensorAndShowsItsParameters) {
    std::vector<SensorConfig> configs(4, model(1, 80, 318));
    configs[2].serial = 1234;
    startWith(configs);
    ParamSet params;
    params.teachValue = 777;
    params.evalEnd = 900;
    params.upperTolerance = 55;
    params.videoThdFix = 60;
    params.average = 8;
    setSensorRam(2, params);

    clickScope(0, 2);

    EXPECT_TRUE(ui().panelVisible(panels().main));
    EXPECT_TRUE(ui().panelVisible(panels().para1));
    EXPECT_FALSE(ui().panelVisible(panels().para2));
    EXPECT_EQ(ui().getInt(panels().main, MAIN_TAB_PARA1), 1);
    EXPECT_EQ(ui().getInt(portPanel(0, 2), PORT_SCOPE), 1);
    EXPECT_EQ(port(0, 2).scopeActive, 1);
    EXPECT_EQ(port(0, 2).openState, 1);

    // The scope window works on this port's COM number from now on.
    EXPECT_EQ(app().state.link.portNumber, 3);
    EXPECT_EQ(ui().getInt(panels().main, MAIN_PORTNUM), 3);
    EXPECT_EQ(ui().getInt(panels().connect, CON_PORT), 3);
    EXPECT_EQ(ui().getInt(panels().connect, CON_BAUD), 1);

    // The sensor's parameter set is on the panels.
    EXPECT_EQ(ui().getInt(panels().para2, P2_TEACHVAL), 777);
    EXPECT_EQ(ui().getInt(panels().main, MAIN_EDGERIGHT), 900);
    EXPECT_EQ(ui().getInt(panels().para1, P1_TOLUP), 55);
    EXPECT_EQ(ui().getInt(panels().para1, P1_AVERAGE), 8);
    EXPECT_EQ(ui().getInt(panels().para2, P2_VTHD), 60);
    EXPECT_EQ(app().state.params.teachValue, 777);

    // Its identity on the status lines and its model in the Calib panel.
    const QString firmware = app().state.link.firmwareText;
    EXPECT_TRUE(firmware.startsWith(QStringLiteral("KORVO-KM-8 V3.18"))) << firmware.toStdString();
    EXPECT_EQ(mainStatus(), firmware);
    EXPECT_EQ(popupStatus(), firmware + QStringLiteral("   SN:1234"));
    EXPECT_EQ(portStatus(0, 2), QStringLiteral("Line OK!   SN:1234"));
    const QStringList info = ui().textBoxLines(panels().calib, CAL_INFO);
    ASSERT_GE(info.size(), 4);
    EXPECT_EQ(info[0], QStringLiteral("-------- KORVO-KM-8 --------"));
    EXPECT_EQ(info[1], QStringLiteral("8192 subpixel - pixel-pitch = 0.975µm"));
    EXPECT_FALSE(ui().dimmed(panels().main, MAIN_GET));
    EXPECT_FALSE(ui().dimmed(panels().para2, P2_TEACH));

    // No dummy frame, then line check, firmware text, hardware info and both halves from RAM.
    const std::vector<int> codes = commands(2);
    ASSERT_GE(codes.size(), 5u);
    EXPECT_EQ(std::vector<int>(codes.begin(), codes.begin() + 5),
              (std::vector<int>{5, 7, 10, 2, 2}));
    EXPECT_TRUE(commands(0).empty());
    EXPECT_TRUE(commands(3).empty());
}

struct FirmwareCase {
    const char* id;
    const char* popup;   // nullptr: no pop-up
    const char* status;  // nullptr: the firmware text stays
    bool buttonsUsable;
    bool identifiedFurther;  // hardware info and parameters read
};

class FirmwareIdTest : public FarmAppTest, public ::testing::WithParamInterface<FirmwareCase> {};

TEST_P(FirmwareIdTest, FirmwareIdDecidesWhetherTheSensorIsServed) {
    const FirmwareCase& c = GetParam();
    SensorConfig config = model(1, 80, 318);
    config.firmwareId = c.id;
    startWith({config});
    if (c.popup) popups->expectMessage(kAttention, QString::fromUtf8(c.popup));

    clickScope(0, 0);

    const QString firmware = app().state.link.firmwareText;
    EXPECT_TRUE(firmware.startsWith(QString::fromLatin1(c.id)));
    EXPECT_EQ(ui().dimmed(panels().main, MAIN_GET), !c.buttonsUsable);
    EXPECT_EQ(ui().dimmed(panels().main, MAIN_RUN), !c.buttonsUsable);
    EXPECT_EQ(received(0, 10), c.identifiedFurther);
    EXPECT_EQ(received(0, 2), c.identifiedFurther);
    if (c.identifiedFurther) {
        // A served sensor ends with its firmware text on both lines, whatever the pop-up said.
        EXPECT_EQ(mainStatus(), firmware);
        EXPECT_EQ(popupStatus(), firmware + QStringLiteral("   SN:4711"));
    } else if (c.status) {
        EXPECT_EQ(mainStatus(), QString::fromLatin1(c.status));
        EXPECT_EQ(popupStatus(), firmware);
    } else {
        EXPECT_EQ(mainStatus(), firmware);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FirmwareIdTest,
    ::testing::Values(
        FirmwareCase{"KORVO-KM", nullptr, nullptr, true, true},
        FirmwareCase{"RMZ12",
                     "Halvero RMZ-TOOL firmware-version detected!\nPlease use RMZ-TOOL-V3.1x "
                     "software!",
                     "Please use RMZ-TOOL-V3.1x software!", true, true},
        FirmwareCase{"KORVO-GX",
                     "Incompatible hardware detected!\nPlease use KORVO-GX-Scope software version!",
                     "Please use KORVO-GX-Scope software version!", false, false},
        FirmwareCase{"KORVO-DV",
                     "Incompatible hardware detected!\nPlease use KORVO-DV-Scope software version!",
                     "Please use KORVO-DV-Scope software version!", false, false},
        FirmwareCase{"KORVO-K", nullptr, nullptr, false, false}),
    [](const auto& info) {
        QString name = QString::fromLatin1(info.param.id);
        name.remove(QLatin1Char('-'));
        return name.toStdString();
    });

struct VersionCase {
    std::uint16_t version;
    const char* popup;
    const char* status;
};

class FirmwareVersionTest : public FarmAppTest,
                            public ::testing::WithParamInterface<VersionCase> {};

TEST_P(FirmwareVersionTest, VersionWindowIs310To318) {
    const VersionCase& c = GetParam();
    startWith({model(1, 80, c.version)});
    if (c.popup) popups->expectMessage(kAttention, QString::fromLatin1(c.popup));

    clickScope(0, 0);

    const bool supported = c.popup == nullptr;
    EXPECT_EQ(app().state.model.firmwareVersion, c.version);
    EXPECT_EQ(received(0, 2), supported);
    EXPECT_EQ(ui().dimmed(panels().main, MAIN_GET), !supported);
    EXPECT_EQ(ui().dimmed(panels().main, MAIN_SEND), !supported);
    const QString firmware = app().state.link.firmwareText;
    if (supported) {
        EXPECT_EQ(mainStatus(), firmware);
        EXPECT_EQ(popupStatus(), firmware + QStringLiteral("   SN:4711"));
    } else {
        EXPECT_EQ(mainStatus(), QString::fromLatin1(c.status));
        EXPECT_EQ(popupStatus(), firmware);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, FirmwareVersionTest,
    ::testing::Values(
        VersionCase{309,
                    "Incompatible hardware detected!\nPlease use KORVO-KM-Scope software version "
                    "3.0x !",
                    "Please use KORVO-KM-Scope Version 3.0x !"},
        VersionCase{310, nullptr, nullptr}, VersionCase{318, nullptr, nullptr},
        VersionCase{319,
                    "Incompatible or newer firmware detected!\nPlease use KORVO-KM-Scope software "
                    "version newer than V3.18 !",
                    "Please use KORVO-KM-Scope Version newer than V3.18 !"}),
    [](const auto& info) { return "V" + std::to_string(info.param.version); });

std::vector<QString> labels(const std::vector<ui::RingItem>& items) {
    std::vector<QString> out;
    for (const ui::RingItem& i : items) out.push_back(i.label);
    return out;
}

TEST_F(IdentifyScopeTest, ModelRowsSetInfoLinesTargetSwitchAndLists) {
    // Three sensors of the KM-8 at firmware 310 and 312, and a KM-100-CL at 316.
    startWith({model(1, 80, 310), model(1, 80, 312), model(104, 21000, 316)});
    const int calib = panels().calib;
    const int p1 = panels().para1;
    const int p2 = panels().para2;

    clickScope(0, 0);
    QStringList info = ui().textBoxLines(calib, CAL_INFO);
    ASSERT_GE(info.size(), 4);
    EXPECT_EQ(info[1], QStringLiteral("4096 subpixel - pixel-pitch = 1.95µm"));
    EXPECT_EQ(info[3], QStringLiteral("resolution    = +/- 2 µm"));
    EXPECT_EQ(ui().getInt(p2, P2_TARGET), 2);
    EXPECT_TRUE(ui().dimmed(p2, P2_TARGET));
    EXPECT_EQ(ui().switchLabels(calib, CAL_CCDMODE),
              std::make_pair(QStringLiteral("HIGH CCD-GAIN"), QStringLiteral("LOW CCD-GAIN")));
    // Firmware below 316: no trigger functions, five IN0 functions.
    EXPECT_EQ(ui().ringItems(p2, P2_TRIGMODE).size(), 5u);
    EXPECT_TRUE(ui().dimmed(p1, P1_INTRGMODE));
    EXPECT_EQ(ui().decimals(panels().main, MAIN_MVALUE_MM), 3);

    clickScope(0, 1);
    info = ui().textBoxLines(calib, CAL_INFO);
    EXPECT_EQ(info[1], QStringLiteral("8192 subpixel - pixel-pitch = 0.975µm"));
    EXPECT_EQ(info[3], QStringLiteral("resolution    = +/- 1 µm"));
    EXPECT_EQ(ui().getInt(p2, P2_TARGET), 1);
    EXPECT_FALSE(ui().dimmed(p2, P2_TARGET));
    EXPECT_EQ(ui().getInt(portPanel(0, 0), PORT_SCOPE), 0);

    clickScope(0, 2);
    info = ui().textBoxLines(calib, CAL_INFO);
    EXPECT_EQ(info[0], QStringLiteral("-------- KORVO-KM-100-CL --------"));
    EXPECT_EQ(info[1], QStringLiteral("12288 subpixel - pixel-pitch = 7.938µm"));
    EXPECT_EQ(app().state.model.hardwareType, 3);
    EXPECT_EQ(labels(ui().ringItems(p1, P1_OUTMODE)),
              (std::vector<QString>{
                  QStringLiteral("[ - ]OUT0, [+]OUT1"), QStringLiteral("[ - ]OUT0, [OK]OUT1"),
                  QStringLiteral("[OK]OUT0, [+]OUT1"), QStringLiteral("[TRG]OUT0, [OK]OUT1")}));
    const auto in0 = labels(ui().ringItems(p2, P2_TRIGMODE));
    ASSERT_EQ(in0.size(), 7u);
    EXPECT_EQ(in0[6], QStringLiteral("TEACH-IN0 HIGH"));
    EXPECT_EQ(ui().decimals(panels().main, MAIN_MVALUE_MM), 2);
    EXPECT_EQ(ui().decimals(panels().main, MAIN_TOLUP_MM), 2);
    EXPECT_EQ(ui().decimals(panels().main, MAIN_TOLLOW_MM), 2);
    EXPECT_TRUE(ui().dimmed(calib, CAL_CCDMODE));
    EXPECT_TRUE(ui().dimmed(p2, P2_HWMODE));
    EXPECT_FALSE(ui().dimmed(p1, P1_INTRGMODE));
    ui::GraphWidget* video = ui().graph(panels().main, MAIN_VIDEOGRAPH);
    ASSERT_NE(video, nullptr);
    EXPECT_TRUE(video->model().xAxis.manual);
    EXPECT_EQ(video->model().xAxis.max, 12288.0);
}

TEST_F(IdentifyScopeTest, UnknownFamilyFallsBackAndUnknownVariantKeepsInfoLines) {
    startWith({model(1, 80, 312), model(5, 1, 316, 4096), model(102, 777, 316, 6144)});
    const int calib = panels().calib;

    clickScope(0, 0);
    const QStringList km8 = ui().textBoxLines(calib, CAL_INFO);

    // Family 102 knows no variant 777: the info box keeps the previous model's text, while the
    // family's decimals and lists still apply.
    clickScope(0, 2);
    EXPECT_EQ(ui().textBoxLines(calib, CAL_INFO), km8);
    EXPECT_EQ(ui().decimals(panels().main, MAIN_MVALUE_MM), 2);
    EXPECT_EQ(ui().ringItems(panels().para2, P2_TRIGMODE).size(), 7u);
    EXPECT_TRUE(received(2, 2));

    // Family 5 is not in the table: the fall-back, and the sensor is still served.
    clickScope(0, 1);
    const QStringList info = ui().textBoxLines(calib, CAL_INFO);
    ASSERT_GE(info.size(), 4);
    EXPECT_EQ(info[0], QStringLiteral("No information avialable!"));
    for (int i = 1; i < 4; ++i) EXPECT_EQ(info[i], QString(25, QLatin1Char(' ')));
    EXPECT_EQ(ui().decimals(panels().main, MAIN_MVALUE_MM), 3);
    EXPECT_EQ(ui().decimals(panels().main, MAIN_TOLUP_MM), 2);
    EXPECT_TRUE(ui().dimmed(panels().para2, P2_HWMODE));
    EXPECT_EQ(app().state.model.hardwareType, 1);
    EXPECT_TRUE(received(1, 2));
    EXPECT_FALSE(ui().dimmed(panels().main, MAIN_GET));
}

TEST_F(IdentifyScopeTest, ConnectDialogSequenceSendsDummyFrameAndReopensPopupOnSilence) {
    startWith({model(1, 80, 318)});
    ASSERT_GE(app().sensor.InitRS232(1, 1), 0);
    sensor(0).clearReceivedFrames();
    EXPECT_EQ(InitRS232DataExchange(app(), 1), 1);
    EXPECT_EQ(commands(0).front(), 0);  // the dummy frame comes first
    EXPECT_TRUE(received(0, 2));

    sensor(0).setFault(sim::Fault::NoReply, 5);
    ui().setInt(panels().connect, CON_PORT, 9);
    EXPECT_EQ(InitRS232DataExchange(app(), 1), -1);
    EXPECT_EQ(mainStatus(), QStringLiteral("Timeout-RS-232..."));
    EXPECT_EQ(ui().getInt(panels().main, MAIN_CONNECT), 1);
    EXPECT_TRUE(ui().panelVisible(panels().connect));
    EXPECT_TRUE(ui().dimmed(panels().connect, CON_ACCEPT));
    EXPECT_TRUE(ui().dimmed(panels().main, MAIN_GET));
    EXPECT_EQ(app().state.savedPortNumber, 9);
}

TEST_F(IdentifyScopeTest, SilentSensorOnScopeToggleOnlyDimsAccept) {
    startWith({model(1, 80, 318)});
    sensor(0).setFault(sim::Fault::NoReply, 5);
    ui().setInt(panels().connect, CON_PORT, 6);

    clickScope(0, 0);

    EXPECT_EQ(portStatus(0, 0), QStringLiteral("Timeout RS-232!"));
    EXPECT_EQ(mpcStatus(), QStringLiteral("Timeout RS-232!"));
    EXPECT_TRUE(ui().dimmed(panels().connect, CON_ACCEPT));
    EXPECT_FALSE(ui().panelVisible(panels().connect));
    EXPECT_EQ(ui().getInt(panels().main, MAIN_CONNECT), 0);
    EXPECT_EQ(app().state.savedPortNumber, 6);
    EXPECT_FALSE(received(0, 7));
    // The port field of the pop-up now names the port in use.
    EXPECT_EQ(ui().getInt(panels().connect, CON_PORT), 1);
}

}  // namespace
}  // namespace korvo::test
