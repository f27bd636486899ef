// The connect pop-up against virtual sensors: trying ports with and without a sensor, keeping or
// discarding the choice, the settings file and the baud-rate change.

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

TEST_F(ScopeConnectPopupTest, TryWithoutASensorKeepsAcceptDimmed) {
    // COM1 leads to a sensor that never answers, COM7 to a device that does not exist.
    launch({sim::SensorConfig{}});
    sensor(0).setFault(sim::Fault::NoReply);
    sensors.mapLine(7, dir.file("no-such-device"));
    openPopup();

    tryPort(7);
    EXPECT_EQ(app().state.link.portNumber, 7);
    EXPECT_TRUE(ui().dimmed(con(), CON_ACCEPT));
    EXPECT_NE(popupStatus(), "RS232-Init successful!");
    EXPECT_FALSE(app().ports.isOpen(7));

    tryPort(1);
    EXPECT_TRUE(ui().dimmed(con(), CON_ACCEPT));
    EXPECT_EQ(mainStatus(), "Timeout-RS-232...");
    EXPECT_TRUE(ui().panelVisible(con()));
}

TEST_F(ScopeConnectPopupTest, TryOnASiblingSeriesSensorRefusesItsButtons) {
    sim::SensorConfig gx;
    gx.firmwareId = "KORVO-GX";
    launch({gx});
    openPopup();
    popups->expectMessage(
        "Attention !!!",
        "Incompatible hardware detected!\nPlease use KORVO-GX-Scope software version!");

    tryPort(1);

    // The port itself works, so ACCEPT may keep it; the exchange buttons stay dimmed.
    EXPECT_FALSE(ui().dimmed(con(), CON_ACCEPT));
    EXPECT_TRUE(ui().dimmed(mainPanel(), MAIN_GET));
    EXPECT_EQ(mainStatus(), "Please use KORVO-GX-Scope software version!");
}

TEST_F(ScopeConnectPopupTest, AcceptKeepsTheConnectionAndWritesTheSettingsFile) {
    launch({sim::SensorConfig{}});
    ui().setPanelSize(mainPanel(), 548, 780);
    ui().setPanelPos(mainPanel(), 120, 100);
    openPopup();
    tryPort(1, 1);
    ASSERT_FALSE(ui().dimmed(con(), CON_ACCEPT)) << popupStatus().toStdString();

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
}

TEST_F(ScopeConnectPopupTest, AcceptSaysSoWhenTheSettingsCannotBeWritten) {
    launch();
    // A folder in the file's place makes the write fail as a read-only disk would.
    ASSERT_TRUE(QDir(dir.path()).mkdir("KORVO-KM-Scope.ini"));
    openPopup();
    ui().setInt(con(), CON_PORT, 4);
    ui().setDimmed(con(), CON_ACCEPT, false);

    ui().click(con(), CON_ACCEPT);

    EXPECT_EQ(mainStatus(), "COM settings not saved!");
    EXPECT_EQ(app().state.link.portNumber, 4);  // the choice is kept all the same
    EXPECT_FALSE(ui().panelVisible(con()));
}

TEST_F(ScopeConnectPopupTest, DiscardAfterConnectingElsewhereGoesBackToTheOldPort) {
    launch({sim::SensorConfig{}, sim::SensorConfig{}});
    openPort(1);
    openPopup();
    tryPort(2);
    ASSERT_FALSE(ui().dimmed(con(), CON_ACCEPT)) << popupStatus().toStdString();
    ASSERT_EQ(app().state.link.portNumber, 2);

    ui().click(con(), CON_DISCARD);

    EXPECT_EQ(app().state.link.portNumber, 1);
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
    EXPECT_EQ(app().state.link.baudIndex, 4);  // how the port follows is the exchange test's
    EXPECT_EQ(sensor(0).currentBaud(), 115200);
}

}  // namespace
}  // namespace korvo::test
