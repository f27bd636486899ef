// The multiplexer window: INIT, TEACH, STOP, the enable check box, the status field and the scope
// toggle against virtual sensors; its settings file, the save and load buttons, the group switch.

#include <QElapsedTimer>
#include <QTimer>

#include "app/mplex/MplexPanel.h"
#include "app/mplex/MplexSequences.h"
#include "app/mplex/MplexSettingsFile.h"
#include "support/AppFixture.h"
#include "support/TimeScale.h"

namespace korvo::test {
namespace {

using namespace ids;

class MplexTest : public ScopeAppTest {
protected:
    void startSensors(int count) {
        startWith(std::vector<sim::SensorConfig>(count, model(1, 80, 318)));
    }
    // Presses STOP at the first event processing after the status field of (group, port) shows
    // text: the loop is then at the start of the next port.
    void stopOnceStatusShows(int group, int p, const QString& text) {
        QObject::connect(&stopTimer, &QTimer::timeout, &stopTimer, [this, group, p, text] {
            if (portStatus(group, p) != text) return;
            stopTimer.stop();
            ui().click(panels().mpc, MPC_STOP);
        });
        stopTimer.start(0);
    }
    QTimer stopTimer;
};

// Ports 1-3 and the last port of the group enabled.
TEST_F(MplexTest, InitOpensEnabledPortsAndSecondInitFindsThemOpen) {
    startSensors(16);
    enableOnly(0, {0, 1, 2, 15});
    enableOnly(1, {});
    ui().setText(panels().mpc, MPC_STATUS, "before");
    EXPECT_EQ(InitMplex(app(), 2), 1);  // a group without enabled ports shows nothing
    EXPECT_EQ(mpcStatus(), "before");

    EXPECT_EQ(InitMplex(app(), 1), 1);
    for (int p : {0, 1, 2, 15}) {
        EXPECT_EQ(port(0, p).openState, 1);
        EXPECT_EQ(portStatus(0, p), QString("Init-Port P%1 OK!").arg(p + 1));
    }
    EXPECT_EQ(portStatus(0, 3), "not connected");
    EXPECT_EQ(mpcStatus(), "Init-Port P16 OK!");
    // A group that ran to its end leaves the stop flag as it found it.
    EXPECT_EQ(app().sensor.link.stopFlag, kStopByUser);

    ui().click(panels().mpc, MPC_INIT);
    for (int p : {0, 1, 2, 15})
        EXPECT_EQ(portStatus(0, p), QString("Port P%1 open OK!").arg(p + 1));
    EXPECT_TRUE(commands(0).empty());  // INIT only opens
    ui().click(panels().mpc, MPC_TEACH);
    EXPECT_EQ(portStatus(0, 15), "TEACH-IN OK!");
    EXPECT_TRUE(received(15, 16));
}

TEST_F(MplexTest, FailedOpeningKeepsItsFixedTextAndTellsWhyInTheToolTip) {
    startSensors(1);
    sensors.mapLine(1, "/dev/korvo-no-such-device");
    EXPECT_EQ(InitMplex(app(), 1), 1);
    EXPECT_EQ(portStatus(0, 0), "Init-Port P1 ERROR!");
    EXPECT_TRUE(ui().ctrl(portPanel(0, 0), PORT_STATUS)
                    ->toolTip()
                    .startsWith("COM1 (/dev/korvo-no-such-device): "));
}

TEST_F(MplexTest, StopDuringPort5FinishesPort5AndLeavesTheRest) {
    startSensors(8);
    stopOnceStatusShows(0, 3, "Init-Port P4 OK!");

    EXPECT_EQ(InitMplex(app(), 1), 0);

    EXPECT_EQ(mpcStatus(), "OPEN/INIT stopped !");
    EXPECT_EQ(port(0, 4).openState, 1);
    EXPECT_EQ(portStatus(0, 4), "Init-Port P5 OK!");
    for (int p = 5; p < 8; ++p) {
        EXPECT_EQ(port(0, p).openState, 0);
        EXPECT_EQ(portStatus(0, p), "not connected");
    }
}

TEST_F(MplexTest, TeachSendsTheGeneralValuesToEveryOpenPortOnly) {
    startSensors(3);
    ui().click(panels().mpc, MPC_TEACH);
    for (int p = 0; p < 3; ++p) {
        EXPECT_EQ(portStatus(0, p), QString("Port P%1 not open!").arg(p + 1));
        EXPECT_FALSE(sensor(p).waitForFrames(1, 50));
    }
    EXPECT_EQ(mpcStatus(), "Port P3 not open!");

    enableOnly(0, {0, 1});
    InitMplex(app(), 1);
    ui().setInt(panels().mpc, MPC_TEACHVAL, 600);
    ui().setInt(panels().mpc, MPC_TOLHIGH, 30);
    ui().setInt(panels().mpc, MPC_TOLLOW, 20);

    ui().click(panels().mpc, MPC_TEACH);

    for (int p = 0; p < 2; ++p) {
        EXPECT_EQ(portStatus(0, p), "TEACH-IN OK!");
        const auto frames = sensor(p).receivedFrames();
        ASSERT_EQ(frames.size(), 1u);
        EXPECT_EQ(frames[0].bytes,
                  QByteArray::fromHex("005500100258001e0014") + QByteArray(26, '\0'));
    }
    EXPECT_EQ(mpcStatus(), "Activate Teach-In P2 ...");
    EXPECT_EQ(app().state.mplex.currentPort.comPort, 2);
}

TEST_F(MplexTest, StopDuringASilentPortsWaitEndsTeachAtThatPort) {
    startSensors(2);
    InitMplex(app(), 1);
    for (int i = 0; i < 2; ++i) sensor(i).setFault(sim::Fault::NoReply, 16);
    // The press comes while port 1 waits for its answer: the wait keeps events running.
    stopOnceStatusShows(0, 0, "Activate Teach P1 ...");

    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(ActivateMplex(app(), 1), 0);
    EXPECT_LT(clock.elapsed(), 900 * timeScale());
    EXPECT_EQ(mpcStatus(), "TEACH-IN stopped !");
    EXPECT_EQ(portStatus(0, 0), "Timeout RS-232!");
    EXPECT_FALSE(received(1, 16));
}

TEST_F(MplexTest, ScopeToggleOfPort3SwitchesPort7Off) {
    startSensors(7);
    clickScope(0, 6);
    ASSERT_EQ(app().sensor.link.portNumber, 7);
    sensor(2).clearReceivedFrames();

    clickScope(0, 2);

    EXPECT_EQ(port(0, 6).scopeActive, 0);
    EXPECT_EQ(app().sensor.link.portNumber, 3);
    EXPECT_TRUE(received(2, 10));
    int on = 0;
    for (int p = 0; p < kMplexPortsPerGroup; ++p) on += ui().getInt(portPanel(0, p), PORT_SCOPE);
    EXPECT_EQ(on, 1);
    EXPECT_EQ(ui().getInt(portPanel(0, 2), PORT_SCOPE), 1);

    // Switching it off hides the scope window and stops what ran there.
    clickScope(0, 2);
    EXPECT_FALSE(ui().panelVisible(panels().main));
    EXPECT_EQ(port(0, 2).scopeActive, 0);
    EXPECT_EQ(app().sensor.link.stopFlag, kStopByUser);
}

TEST_F(MplexTest, EnableCheckBoxOpensThenChecksTheLine) {
    startSensors(1);
    const int panel = portPanel(0, 0);

    ui().click(panel, PORT_ENABLE);  // off
    EXPECT_EQ(port(0, 0).enabled, 0);
    EXPECT_TRUE(ui().dimmed(panel, PORT_SCOPE));

    ui().click(panel, PORT_ENABLE);  // on: not open yet, so it is opened
    EXPECT_FALSE(ui().dimmed(panel, PORT_SCOPE));
    EXPECT_EQ(portStatus(0, 0), "Init-Port P1 OK!");

    ui().click(panel, PORT_ENABLE);
    ui().click(panel, PORT_ENABLE);  // on again: the line is checked
    EXPECT_EQ(portStatus(0, 0), "Line OK!   SN:4711");
    EXPECT_EQ(commands(0), std::vector<int>{5});

    // A double click on the status field teaches the port, only if it answers.
    ui().deliver(panel, PORT_STATUS, ui::EVENT_LEFT_DOUBLE_CLICK);
    EXPECT_EQ(portStatus(0, 0), "TEACH-IN OK!");
    EXPECT_EQ(commands(0), (std::vector<int>{5, 5, 16}));
    sensor(0).setFault(sim::Fault::NoReply, 5);
    ui().deliver(panel, PORT_STATUS, ui::EVENT_LEFT_DOUBLE_CLICK);
    EXPECT_EQ(portStatus(0, 0), "Timeout RS-232!");
    EXPECT_EQ(commands(0).back(), 5);
}

TEST_F(MplexTest, SensorThatHangsUpEndsTheWaitAndIsReopenedByInit) {
    startSensors(2);
    InitMplex(app(), 1);
    sensor(1).setFault(sim::Fault::HangUp, 16, 1);

    QElapsedTimer clock;
    clock.start();
    ActivateMplex(app(), 1);
    // Port 1 answers at once; port 2's wait ends with the device, well before its 0.5 s.
    EXPECT_LT(clock.elapsed(), 450 * timeScale());
    EXPECT_EQ(portStatus(0, 0), "TEACH-IN OK!");
    EXPECT_EQ(portStatus(0, 1), "Timeout RS-232!");
    EXPECT_NE(port(0, 1).openState, 1);

    const QString device = sensor(1).reopen();
    ASSERT_FALSE(device.isEmpty());
    sensors.mapLine(2, device);
    InitMplex(app(), 1);
    EXPECT_EQ(portStatus(0, 1), "Init-Port P2 OK!");
    ActivateMplex(app(), 1);
    EXPECT_EQ(portStatus(0, 1), "TEACH-IN OK!");

    // A hang-up during the identification leaves the port closed as quickly.
    sensor(0).setFault(sim::Fault::HangUp, 7, 1);
    clock.restart();
    clickScope(0, 0);
    EXPECT_LT(clock.elapsed(), 900 * timeScale());
    EXPECT_NE(port(0, 0).openState, 1);
    EXPECT_FALSE(app().ports.isOpen(1));
}

const QString kDialogTitle = "MPLEX Initialisation File";
const QString kOverwrite = "MPLEX Initialisation File already exists - overwrite ?";

class MplexSettingsTest : public ScopeAppTest {
protected:
    void SetUp() override { ASSERT_EQ(start(), 0); }

    // All controls of a port but its check box dimmed (true), or none dimmed (false).
    bool portDimmed(int group, int port) {
        int dimmed = 0;
        for (int c : {PORT_SCOPE, PORT_BAUD, PORT_COM, PORT_STATUS})
            dimmed += ui().dimmed(portPanel(group, port), c);
        EXPECT_TRUE(dimmed == 0 || dimmed == 4) << group << "/" << port;
        return dimmed == 4;
    }
    QString shownSettingsFile() { return ui().textBoxLines(panels().mpc, MPC_INIFILE).join('\n'); }
};

// Which keys a file sets is unit-tested with the file; here: a file written from the window and
// loaded back restores the window, the dimming of a group switched off in it included.
TEST_F(MplexSettingsTest, WrittenFileReadsBackToTheSameSettings) {
    const int mpc = panels().mpc;
    ui().setInt(mpc, MPC_TEACHVAL, 700);
    ui().setInt(mpc, MPC_TOLLOW, 44);
    ui().setInt(portPanel(4, 9), PORT_COM, 99);
    ui().setInt(portPanel(4, 9), PORT_BAUD, 4);
    ui().setInt(portPanel(4, 9), PORT_ENABLE, 0);
    ui().setInt(portPanel(4, 10), PORT_SCOPE, 1);
    ui().setText(portPanel(4, 10), PORT_STATUS, "Line OK!");
    ui().setActiveTabPage(mpc, MPC_TAB, 5);
    ui().click(panels().tabPages[5], TAB_ENABLE);  // group 6 off
    ui().setPanelPos(mpc, 40, 70);
    ui().setPanelSize(mpc, 520, 760);
    ASSERT_TRUE(WriteIniFile(app(), dir.file("round.ini")).ok);

    // Back to the defaults, then read the file.
    InitDefaultMplexSettings(app());
    for (int g = 0; g < 7; ++g) {
        for (int p = 0; p < 16; ++p) SetMplexPortValues(app(), g, p);
        SetMplexTabState(app(), g);
        DimmMplex(app(), g, 0);
    }
    ui().setInt(mpc, MPC_TEACHVAL, 1);
    ui().setPanelPos(mpc, 0, 0);
    popups->expectFile(kDialogTitle, {ui::FileChoice::Existing, dir.file("round.ini")});
    ui().click(mpc, MPC_LOAD);

    EXPECT_EQ(ui().getInt(mpc, MPC_TEACHVAL), 700);
    EXPECT_EQ(ui().getInt(mpc, MPC_TOLLOW), 44);
    EXPECT_EQ(ui().getInt(portPanel(4, 9), PORT_COM), 99);
    EXPECT_EQ(ui().getInt(portPanel(4, 9), PORT_BAUD), 4);
    EXPECT_EQ(ui().getInt(portPanel(4, 9), PORT_ENABLE), 0);
    EXPECT_EQ(ui().getInt(panels().tabPages[5], TAB_ENABLE), 0);
    EXPECT_TRUE(ui().dimmed(panels().tabPages[5], TAB_EXTRA1));
    EXPECT_TRUE(ui().dimmed(portPanel(5, 0), PORT_ENABLE));
    EXPECT_TRUE(portDimmed(5, 0));
    EXPECT_FALSE(portDimmed(4, 0));
    EXPECT_EQ(ui().panelGeometry(mpc), QRect(70, 40, 760, 520));
    // Neither scope toggles nor status texts are kept in the file.
    EXPECT_EQ(ui().getInt(portPanel(4, 10), PORT_SCOPE), 0);
    EXPECT_EQ(ui().getText(portPanel(4, 10), PORT_STATUS), "not connected");
    EXPECT_EQ(shownSettingsFile(), dir.file("round.ini"));
}

TEST_F(MplexSettingsTest, GroupSwitchDimsAndRestoresItsGroup) {
    ui().setInt(portPanel(3, 4), PORT_ENABLE, 0);
    GetMplexPortValues(app(), 3, 4);
    ui().setActiveTabPage(panels().mpc, MPC_TAB, 3);

    ui().click(panels().tabPages[3], TAB_ENABLE);
    EXPECT_EQ(app().state.mplex.groups[3].state, 0);
    for (int p = 0; p < 16; ++p) EXPECT_TRUE(portDimmed(3, p));

    ui().click(panels().tabPages[3], TAB_ENABLE);
    EXPECT_EQ(app().state.mplex.groups[3].state, 1);
    EXPECT_FALSE(portDimmed(3, 3));
    EXPECT_TRUE(portDimmed(3, 4));  // its own check box is off
    EXPECT_FALSE(ui().dimmed(portPanel(3, 4), PORT_ENABLE));
    // A group number out of range acts on the first group.
    ui().setInt(panels().tabPages[0], TAB_ENABLE, 0);
    EXPECT_EQ(GetMplexTabState(app(), 9), 0);
    EXPECT_EQ(app().state.mplex.groups[0].state, 0);
}

TEST_F(MplexSettingsTest, SaveAsksBeforeOverwritingAndSaysSoWhenItCannotWrite) {
    dir.write("keep.ini", "old");
    const QString before = shownSettingsFile();
    popups->expectFile(kDialogTitle, {});  // cancelled
    popups->expectFile(kDialogTitle, {ui::FileChoice::Existing, dir.file("keep.ini")});
    popups->expectConfirm("ATTENTION!", kOverwrite, false);
    ui().click(panels().mpc, MPC_SAVE);
    ui().click(panels().mpc, MPC_SAVE);
    EXPECT_EQ(dir.read("keep.ini"), "old");
    EXPECT_EQ(shownSettingsFile(), before);
    EXPECT_FALSE(dir.exists("MPLEX16.ini"));
    const auto& dialog = popups->shown()[0];
    EXPECT_EQ(dialog.directory, dir.path());
    EXPECT_EQ(dialog.defaultName, "MPLEX16.ini");
    EXPECT_EQ(dialog.filter, "*.ini");

    popups->expectFile(kDialogTitle, {ui::FileChoice::New, dir.file("no-such-dir/x.ini")});
    ui().click(panels().mpc, MPC_SAVE);
    EXPECT_EQ(mpcStatus(), "MPLEX Initialisation File not written!");
    EXPECT_EQ(shownSettingsFile(), before);

    popups->expectFile(kDialogTitle, {ui::FileChoice::Existing, dir.file("keep.ini")});
    popups->expectConfirm("ATTENTION!", kOverwrite, true);
    ui().click(panels().mpc, MPC_SAVE);
    EXPECT_TRUE(dir.read("keep.ini").startsWith("[APPLICATION]\r\n"));
    EXPECT_EQ(shownSettingsFile(), dir.file("keep.ini"));
}

}  // namespace
}  // namespace korvo::test
