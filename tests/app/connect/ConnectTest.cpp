// The connect pop-up against virtual sensors (trying ports, keeping or discarding the choice, the
// settings file, the baud-rate change) and the scope toggle's connect sequence: the sensor
// identified, its model on the panels, its parameters read.

#include "app/connect/ConnectSequence.h"
#include "support/AppFixture.h"

namespace korvo::test {
namespace {

using namespace ids;

class ScopeConnectPopupTest : public ScopeAppTest {
protected:
    int con() { return panels().connect; }
    void openPopup() {
        ui().click(mainPanel(), MAIN_CONNECT);
        ASSERT_TRUE(ui().panelVisible(con()));
    }
    void tryPort(int com, int baudIndex = 1) {
        ui().setInt(con(), CON_PORT, com);
        ui().setInt(con(), CON_BAUD, baudIndex);
        ui().click(con(), CON_TRY);
    }
};

TEST_F(ScopeConnectPopupTest, TryWithoutAServedSensorKeepsTheExchangeButtonsDimmed) {
    // COM1 leads to a sensor that never answers, COM2 to a sibling-series sensor, COM7 to a
    // device that does not exist.
    sim::SensorConfig gx;
    gx.firmwareId = "KORVO-GX";
    launch({sim::SensorConfig{}, gx});
    sensor(0).setFault(sim::Fault::NoReply);
    sensors.mapLine(7, dir.file("no-such-device"));
    openPopup();

    tryPort(7);
    EXPECT_EQ(app().sensor.link.portNumber, 7);
    EXPECT_TRUE(ui().dimmed(con(), CON_ACCEPT));
    EXPECT_NE(popupStatus(), "RS232-Init successful!");
    EXPECT_FALSE(app().ports.isOpen(7));

    popups->expectMessage(
        "Attention !!!",
        "Incompatible hardware detected!\nPlease use KORVO-GX-Scope software version!");
    tryPort(2);
    // The port itself works, so ACCEPT may keep it; the exchange buttons stay dimmed.
    EXPECT_FALSE(ui().dimmed(con(), CON_ACCEPT));
    EXPECT_TRUE(ui().dimmed(mainPanel(), MAIN_GET));
    EXPECT_EQ(mainStatus(), "Please use KORVO-GX-Scope software version!");

    tryPort(1);
    EXPECT_TRUE(ui().dimmed(con(), CON_ACCEPT));
    EXPECT_EQ(mainStatus(), "Timeout-RS-232...");
    EXPECT_TRUE(ui().panelVisible(con()));
}

TEST_F(ScopeConnectPopupTest, AcceptKeepsTheConnectionAndWritesTheSettingsFileIfItCan) {
    launch({sim::SensorConfig{}});
    ui().setPanelSize(mainPanel(), 548, 780);
    ui().setPanelPos(mainPanel(), 120, 100);
    openPopup();
    tryPort(1, 1);
    ASSERT_FALSE(ui().dimmed(con(), CON_ACCEPT)) << popupStatus().toStdString();
    EXPECT_EQ(commands(0).front(), 0);  // the pop-up's sequence sends the dummy frame first
    EXPECT_TRUE(received(0, 2));

    ui().click(con(), CON_ACCEPT);

    EXPECT_FALSE(ui().panelVisible(con()));
    EXPECT_EQ(ui().getInt(mainPanel(), MAIN_CONNECT), 0);
    EXPECT_EQ(app().state.savedPortNumber, 1);
    EXPECT_TRUE(app().ports.isOpen(1));
    EXPECT_EQ(dir.read("KORVO-KM-Scope.ini"),
              QByteArray("[CONNECTION]\r\nCOM Port = 1\r\nBAUDRATE = 1\r\n\r\n"
                         "[APPLICATION]\r\nPanel max = 0\r\nPanel pos. x = 100\r\n"
                         "Panel pos. y = 120\r\nPanel width  = 780\r\nPanel height = 548\r\n\r\n"
                         "[HARDWAREINFO]\r\nHardware-Type = 1\r\n\r\n"));

    // A folder in the file's place makes the write fail as a read-only disk would.
    dir.remove("KORVO-KM-Scope.ini");
    ASSERT_TRUE(QDir(dir.path()).mkdir("KORVO-KM-Scope.ini"));
    openPopup();
    ui().setInt(con(), CON_PORT, 4);
    ui().setDimmed(con(), CON_ACCEPT, false);
    ui().click(con(), CON_ACCEPT);
    EXPECT_EQ(mainStatus(), "COM settings not saved!");
    EXPECT_EQ(app().sensor.link.portNumber, 4);  // the choice is kept all the same
    EXPECT_FALSE(ui().panelVisible(con()));
}

TEST_F(ScopeConnectPopupTest, DiscardAfterConnectingElsewhereGoesBackToTheOldPort) {
    launch({sim::SensorConfig{}, sim::SensorConfig{}});
    openPort(1);
    openPopup();
    tryPort(2);
    ASSERT_FALSE(ui().dimmed(con(), CON_ACCEPT)) << popupStatus().toStdString();
    ASSERT_EQ(app().sensor.link.portNumber, 2);

    ui().click(con(), CON_DISCARD);

    EXPECT_EQ(app().sensor.link.portNumber, 1);
    EXPECT_EQ(ui().getInt(con(), CON_PORT), 1);
    EXPECT_EQ(ui().getInt(mainPanel(), MAIN_PORTNUM), 1);
    EXPECT_TRUE(app().ports.isOpen(2));  // the new port stays open under its own number
    EXPECT_TRUE(ui().dimmed(con(), CON_ACCEPT));
    EXPECT_FALSE(ui().panelVisible(con()));
}

// A change without an echo is the exchange's test (the port keeps its rate).
TEST_F(ScopeConnectPopupTest, BaudRateChangeReachesTheSensorAndBothStatusLines) {
    sim::SensorConfig strict;
    strict.strictBaud = true;  // a request at the wrong rate is lost, as on a real line
    launch({strict});
    openPort(1, 1);
    openPopup();

    ui().setInt(con(), CON_BAUD, 4);
    ui().click(con(), CON_CHANGEBAUD);
    EXPECT_EQ(mainStatus(), "Baudrate-change OK!");
    EXPECT_EQ(popupStatus(), "Baudrate-change OK!");
    EXPECT_EQ(app().sensor.link.baudIndex, 4);  // how the port follows is the exchange test's
    EXPECT_EQ(sensor(0).currentBaud(), 115200);

    // While the port field names a raw TCP port, the baud controls say that the rate will not
    // reach its device server.
    EXPECT_TRUE(ui().ctrl(con(), CON_BAUD)->toolTip().isEmpty());
    sensors.mapLine(18, QStringLiteral("tcp://127.0.0.1:4002"));
    ui().userSetInt(con(), CON_PORT, 18);
    for (const int ctrl : {CON_BAUD, CON_CHANGEBAUD})
        EXPECT_TRUE(ui().ctrl(con(), ctrl)->toolTip().startsWith("tcp://127.0.0.1:4002 is a raw"));
}

using IdentifyScopeTest = ScopeAppTest;

TEST_F(IdentifyScopeTest, ScopeToggleIdentifiesSensorAndShowsItsParameters) {
    std::vector<sim::SensorConfig> configs(4, model(1, 80, 318));
    configs[2].serial = 1234;
    startWith(configs);
    ParamSet params;
    params.teachValue = 777;
    params.evalEnd = 900;
    setSensorRam(2, params);

    clickScope(0, 2);

    EXPECT_TRUE(ui().panelVisible(panels().main));
    EXPECT_EQ(port(0, 2).scopeActive, 1);
    EXPECT_EQ(port(0, 2).openState, 1);
    // The scope window works on this port's COM number from now on.
    EXPECT_EQ(app().sensor.link.portNumber, 3);
    EXPECT_EQ(ui().getInt(panels().connect, CON_PORT), 3);
    // The sensor's parameter set is on the panels.
    EXPECT_EQ(ui().getInt(panels().para2, P2_TEACHVAL), 777);
    EXPECT_EQ(ui().getInt(panels().main, MAIN_EDGERIGHT), 900);
    // Its identity on the status lines (its model on the panels is the next test's).
    const QString firmware = app().sensor.link.firmwareText;
    EXPECT_TRUE(firmware.startsWith("KORVO-KM-8 V3.18")) << firmware.toStdString();
    EXPECT_EQ(mainStatus(), firmware);
    EXPECT_EQ(popupStatus(), firmware + "   SN:1234");
    EXPECT_EQ(portStatus(0, 2), "Line OK!   SN:1234");
    // No dummy frame, then line check, firmware text, hardware info and both halves from RAM.
    const std::vector<int> codes = commands(2);
    ASSERT_GE(codes.size(), 5u);
    EXPECT_EQ(std::vector<int>(codes.begin(), codes.begin() + 5),
              (std::vector<int>{5, 7, 10, 2, 2}));
    EXPECT_TRUE(commands(0).empty());
}

struct FirmwareCase {
    const char* id;
    std::uint16_t version;
    const char* popup;   // nullptr: no pop-up
    const char* status;  // nullptr: the firmware text stays
    bool served;         // exchange buttons usable and parameters read
    bool infoRead;       // hardware info read
};

class FirmwareTest : public ScopeAppTest, public ::testing::WithParamInterface<FirmwareCase> {};

TEST_P(FirmwareTest, FirmwareIdAndVersionDecideWhetherTheSensorIsServed) {
    const FirmwareCase& c = GetParam();
    sim::SensorConfig config = model(1, 80, c.version);
    config.firmwareId = c.id;
    startWith({config});
    if (c.popup) popups->expectMessage("Attention !!!", QString::fromUtf8(c.popup));

    clickScope(0, 0);

    const QString firmware = app().sensor.link.firmwareText;
    EXPECT_TRUE(firmware.startsWith(c.id));
    if (QString(c.id) == "KORVO-KM") {
        EXPECT_EQ(app().sensor.model.firmwareVersion, c.version);
    }
    for (int button : {MAIN_GET, MAIN_SEND, MAIN_RUN})
        EXPECT_EQ(ui().dimmed(panels().main, button), !c.served);
    EXPECT_EQ(received(0, 10), c.infoRead);
    EXPECT_EQ(received(0, 2), c.served);
    if (c.served) {
        // A served sensor ends with its firmware text on both lines, whatever the pop-up said.
        EXPECT_EQ(mainStatus(), firmware);
        EXPECT_EQ(popupStatus(), firmware + "   SN:4711");
    } else {
        EXPECT_EQ(mainStatus(), c.status ? QString(c.status) : firmware);
        if (c.status) {
            EXPECT_EQ(popupStatus(), firmware);
        }
    }
}

// One row per way a decision reaches the screen (the decisions themselves are unit-tested): a
// warning that still serves, a refusal before the hardware information, a version refused after
// it, and an unknown ID refused without a pop-up.
INSTANTIATE_TEST_SUITE_P(
    Rows, FirmwareTest,
    ::testing::Values(
        FirmwareCase{"RMZ12", 318,
                     "Halvero RMZ-TOOL firmware-version detected!\nPlease use RMZ-TOOL-V3.1x "
                     "software!",
                     "Please use RMZ-TOOL-V3.1x software!", true, true},
        FirmwareCase{"KORVO-DV", 318,
                     "Incompatible hardware detected!\nPlease use KORVO-DV-Scope software version!",
                     "Please use KORVO-DV-Scope software version!", false, false},
        FirmwareCase{"KORVO-K", 318, nullptr, nullptr, false, false},
        FirmwareCase{"KORVO-KM", 319,
                     "Incompatible or newer firmware detected!\nPlease use KORVO-KM-Scope "
                     "software version newer than V3.18 !",
                     "Please use KORVO-KM-Scope Version newer than V3.18 !", false, true}),
    [](const auto& info) {
        return QString(info.param.id).remove('-').toStdString() + "_V" +
               std::to_string(info.param.version);
    });

// The model profile on the panels (the profiles themselves are unit-tested per row): a row that
// sets every list, then a variant the family does not know, which keeps the info box, then a
// family the table does not know, which shows the fall-back, and an older row.
TEST_F(IdentifyScopeTest, TheModelProfileReachesThePanels) {
    startWith({model(104, 21000, 316), model(102, 777, 316, 6144), model(5, 1, 316, 4096),
               model(1, 80, 312)});
    const int calib = panels().calib;
    const int p1 = panels().para1;
    const int p2 = panels().para2;

    clickScope(0, 0);
    const QStringList info = ui().textBoxLines(calib, CAL_INFO);
    ASSERT_GE(info.size(), 4);
    EXPECT_EQ(info[0], "-------- KORVO-KM-100-CL --------");
    EXPECT_EQ(info[1], "12288 subpixel - pixel-pitch = 7.938µm");
    EXPECT_EQ(app().sensor.model.hardwareType, 3);
    const auto out = ui().ringItems(p1, P1_OUTMODE);
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(out[3].label, "[TRG]OUT0, [OK]OUT1");
    const auto in0 = ui().ringItems(p2, P2_TRIGMODE);
    ASSERT_EQ(in0.size(), 7u);
    EXPECT_EQ(in0[6].label, "TEACH-IN0 HIGH");
    EXPECT_EQ(ui().decimals(panels().main, MAIN_MVALUE_MM), 2);
    EXPECT_EQ(
        ui().switchLabels(calib, CAL_CCDMODE),
        std::make_pair(QString("DIGITAL-COMPARATION-MODE"), QString("ANALOG-DIGITAL-CONV.-MODE")));
    EXPECT_TRUE(ui().dimmed(calib, CAL_CCDMODE));
    EXPECT_TRUE(ui().dimmed(p2, P2_HWMODE));
    EXPECT_FALSE(ui().dimmed(p1, P1_INTRGMODE));
    EXPECT_EQ(ui().getInt(p2, P2_TARGET), 2);
    EXPECT_TRUE(ui().dimmed(p2, P2_TARGET));
    EXPECT_EQ(graphModel(panels().main, MAIN_VIDEOGRAPH).xAxis.max, 12288.0);

    clickScope(0, 1);
    EXPECT_EQ(ui().textBoxLines(calib, CAL_INFO), info);
    EXPECT_TRUE(received(1, 2));

    clickScope(0, 2);
    EXPECT_EQ(ui().textBoxLines(calib, CAL_INFO).value(0), "No information avialable!");
    EXPECT_EQ(ui().decimals(panels().main, MAIN_MVALUE_MM), 3);
    EXPECT_TRUE(received(2, 2));
    EXPECT_FALSE(ui().dimmed(panels().main, MAIN_GET));

    clickScope(0, 3);  // below 316: no trigger functions; the target switch is free again
    EXPECT_TRUE(ui().dimmed(p1, P1_INTRGMODE));
    EXPECT_EQ(ui().getInt(p2, P2_TARGET), 1);
    EXPECT_FALSE(ui().dimmed(p2, P2_TARGET));
}

TEST_F(IdentifyScopeTest, ConnectDialogSequenceReopensThePopupOnSilence) {
    startWith({model(1, 80, 318)});
    ASSERT_GE(app().sensor.InitRS232(1, 1), 0);
    ASSERT_EQ(InitRS232DataExchange(app(), 1), 1);  // served: the exchange buttons usable
    sensor(0).setFault(sim::Fault::NoReply, 5);
    ui().setInt(panels().connect, CON_PORT, 9);
    EXPECT_EQ(InitRS232DataExchange(app(), 1), -1);
    EXPECT_EQ(mainStatus(), "Timeout-RS-232...");
    EXPECT_EQ(ui().getInt(panels().main, MAIN_CONNECT), 1);
    EXPECT_TRUE(ui().panelVisible(panels().connect));
    EXPECT_TRUE(ui().dimmed(panels().connect, CON_ACCEPT));
    EXPECT_TRUE(ui().dimmed(panels().main, MAIN_GET));
    EXPECT_EQ(app().state.savedPortNumber, 9);
}

}  // namespace
}  // namespace korvo::test
