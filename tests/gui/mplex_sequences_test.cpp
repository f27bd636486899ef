// The multiplexer's port operations against virtual sensors: INIT, TEACH, STOP, the enable check
// box, the status field and the scope toggle, and what happens when a sensor goes away.

#include <QElapsedTimer>
#include <QTimer>

#include "app/MplexSequences.h"
#include "sim/PortMap.h"
#include "support/GuiFixture.h"

namespace korvo::test {
namespace {

using namespace ids;
using sim::SensorConfig;

class MplexTest : public FarmAppTest {
protected:
    void startSensors(int count) { startWith(std::vector<SensorConfig>(count, model(1, 80, 318))); }
    void disableGroupsFrom(int first) {
        for (int g = first; g < kMplexGroups; ++g) ui().setInt(panels().tabPages[g], TAB_ENABLE, 0);
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
    QString mapPath() { return dir.file(QStringLiteral("COMPORTS.map")); }
};

TEST_F(MplexTest, InitOpensEnabledPortsAndSecondInitFindsThemOpen) {
    startSensors(3);

    EXPECT_EQ(InitMplex(app(), 1), 1);
    for (int p = 0; p < 3; ++p) {
        EXPECT_EQ(port(0, p).openState, 1);
        EXPECT_EQ(portStatus(0, p), QStringLiteral("Init-Port P%1 OK!").arg(p + 1));
    }
    EXPECT_EQ(portStatus(0, 3), QStringLiteral("not connected"));
    EXPECT_EQ(port(0, 3).openState, 0);
    EXPECT_EQ(mpcStatus(), QStringLiteral("Init-Port P3 OK!"));
    // A group that ran to its end leaves the stop flag as it found it.
    EXPECT_EQ(app().state.link.stopFlag, kStopByUser);

    ui().click(panels().mpc, MPC_INIT);
    for (int p = 0; p < 3; ++p)
        EXPECT_EQ(portStatus(0, p), QStringLiteral("Port P%1 open OK!").arg(p + 1));
    // INIT only opens: the sensors never saw a frame.
    EXPECT_TRUE(commands(0).empty());
}

TEST_F(MplexTest, InitOfDisabledGroupShowsNothing) {
    startSensors(1);
    enableOnly(1, {});
    ui().setText(panels().mpc, MPC_STATUS, QStringLiteral("before"));
    EXPECT_EQ(InitMplex(app(), 2), 1);
    EXPECT_EQ(mpcStatus(), QStringLiteral("before"));
    for (int p = 0; p < kMplexPortsPerGroup; ++p) EXPECT_EQ(port(1, p).openState, 0);
}

TEST_F(MplexTest, FailedOpeningIsTriedAgainByTheNextInit) {
    startSensors(3);
    ASSERT_TRUE(sim::addPortMapEntries(mapPath(), {{3, QStringLiteral("/nonexistent/ttyKORVO")}}));

    InitMplex(app(), 1);
    EXPECT_EQ(portStatus(0, 2), QStringLiteral("Init-Port P3 ERROR!"));
    EXPECT_LT(port(0, 2).openState, 0);
    EXPECT_EQ(portStatus(0, 1), QStringLiteral("Init-Port P2 OK!"));

    ASSERT_TRUE(sim::addPortMapEntries(mapPath(), {{3, sensor(2).devicePath()}}));
    InitMplex(app(), 1);
    EXPECT_EQ(portStatus(0, 2), QStringLiteral("Init-Port P3 OK!"));
    EXPECT_EQ(port(0, 2).openState, 1);
}

TEST_F(MplexTest, StopDuringPort5FinishesPort5AndLeavesTheRest) {
    startSensors(8);
    stopOnceStatusShows(0, 3, QStringLiteral("Init-Port P4 OK!"));

    EXPECT_EQ(InitMplex(app(), 1), 0);

    EXPECT_EQ(mpcStatus(), QStringLiteral("OPEN/INIT stopped !"));
    EXPECT_EQ(port(0, 4).openState, 1);
    EXPECT_EQ(portStatus(0, 4), QStringLiteral("Init-Port P5 OK!"));
    for (int p = 5; p < 8; ++p) {
        EXPECT_EQ(port(0, p).openState, 0);
        EXPECT_EQ(portStatus(0, p), QStringLiteral("not connected"));
    }
}

TEST_F(MplexTest, StopDuringInitAllEndsOnlyTheGroupInProgress) {
    startSensors(4);
    enableOnly(1, {0});
    ui().setInt(portPanel(1, 0), PORT_COM, 4);  // group 2, P1 on COM4
    disableGroupsFrom(2);
    stopOnceStatusShows(0, 0, QStringLiteral("Init-Port P1 OK!"));

    ui().click(panels().mpc, MPC_INITALL);

    EXPECT_EQ(port(0, 1).openState, 1);  // the port in progress when STOP came
    EXPECT_EQ(port(0, 2).openState, 0);  // group 1 ended there
    EXPECT_EQ(portStatus(0, 2), QStringLiteral("not connected"));
    EXPECT_EQ(port(1, 0).openState, 1);  // group 2 ran
    EXPECT_EQ(port(1, 0).comPort, 4);
    EXPECT_EQ(portStatus(1, 0), QStringLiteral("Init-Port P1 OK!"));
    EXPECT_EQ(ui().activeTabPage(panels().mpc, MPC_TAB), kMplexGroups - 1);
}

TEST_F(MplexTest, TeachWithoutOpenPortsSendsNothing) {
    startSensors(3);
    ui().click(panels().mpc, MPC_TEACH);
    for (int p = 0; p < 3; ++p) {
        EXPECT_EQ(portStatus(0, p), QStringLiteral("Port P%1 not open!").arg(p + 1));
        EXPECT_FALSE(sensor(p).waitForFrames(1, 50));
    }
    EXPECT_EQ(mpcStatus(), QStringLiteral("Port P3 not open!"));
}

TEST_F(MplexTest, TeachSendsTheGeneralValuesToEveryOpenPort) {
    startSensors(2);
    InitMplex(app(), 1);
    ui().setInt(panels().mpc, MPC_TEACHVAL, 600);
    ui().setInt(panels().mpc, MPC_TOLHIGH, 30);
    ui().setInt(panels().mpc, MPC_TOLLOW, 20);

    ui().click(panels().mpc, MPC_TEACH);

    for (int p = 0; p < 2; ++p) {
        EXPECT_EQ(portStatus(0, p), QStringLiteral("TEACH-IN OK!"));
        const auto frames = sensor(p).receivedFrames();
        ASSERT_EQ(frames.size(), 1u);
        EXPECT_EQ(frames[0].bytes, QByteArray::fromHex("00550010025800"
                                                       "1e0014") +
                                       QByteArray(26, '\0'));
    }
    EXPECT_EQ(mpcStatus(), QStringLiteral("Activate Teach-In P2 ..."));
    EXPECT_EQ(app().state.mplex.teachValue, 600);
    EXPECT_EQ(app().state.mplex.currentPort.comPort, 2);
}

TEST_F(MplexTest, StopDuringASilentPortsWaitEndsTeachAtThatPort) {
    startSensors(3);
    InitMplex(app(), 1);
    for (int i = 0; i < 3; ++i) sensor(i).setFault(sim::Fault::NoReply, 16);
    // The press comes while port 1 waits for its answer: the wait keeps events running.
    stopOnceStatusShows(0, 0, QStringLiteral("Activate Teach P1 ..."));

    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(ActivateMplex(app(), 1), 0);
    EXPECT_LT(clock.elapsed(), 900);

    EXPECT_EQ(mpcStatus(), QStringLiteral("TEACH-IN stopped !"));
    EXPECT_EQ(portStatus(0, 0), QStringLiteral("Timeout RS-232!"));
    EXPECT_EQ(portStatus(0, 1), QStringLiteral("Init-Port P2 OK!"));
    EXPECT_FALSE(received(1, 16));
}

TEST_F(MplexTest, ScopeToggleOfPort3SwitchesPort7Off) {
    startSensors(7);
    clickScope(0, 6);
    ASSERT_EQ(app().state.link.portNumber, 7);
    sensor(2).clearReceivedFrames();

    clickScope(0, 2);

    EXPECT_EQ(ui().getInt(portPanel(0, 6), PORT_SCOPE), 0);
    EXPECT_EQ(port(0, 6).scopeActive, 0);
    EXPECT_EQ(ui().getInt(portPanel(0, 2), PORT_SCOPE), 1);
    EXPECT_EQ(app().state.link.portNumber, 3);
    EXPECT_TRUE(received(2, 10));
    int on = 0;
    for (int p = 0; p < kMplexPortsPerGroup; ++p) on += ui().getInt(portPanel(0, p), PORT_SCOPE);
    EXPECT_EQ(on, 1);

    // Switching it off hides the scope window and stops what ran there.
    clickScope(0, 2);
    EXPECT_FALSE(ui().panelVisible(panels().main));
    EXPECT_EQ(port(0, 2).scopeActive, 0);
    EXPECT_EQ(app().state.link.stopFlag, kStopByUser);
}

TEST_F(MplexTest, EnableCheckBoxOpensThenChecksTheLine) {
    startSensors(1);
    const int panel = portPanel(0, 0);

    ui().click(panel, PORT_ENABLE);  // off
    EXPECT_EQ(port(0, 0).enabled, 0);
    EXPECT_TRUE(ui().dimmed(panel, PORT_SCOPE));
    EXPECT_TRUE(ui().dimmed(panel, PORT_STATUS));

    ui().click(panel, PORT_ENABLE);  // on: not open yet, so it is opened
    EXPECT_FALSE(ui().dimmed(panel, PORT_SCOPE));
    EXPECT_EQ(port(0, 0).openState, 1);
    EXPECT_EQ(portStatus(0, 0), QStringLiteral("Init-Port P1 OK!"));

    ui().click(panel, PORT_ENABLE);
    ui().click(panel, PORT_ENABLE);  // on again: the line is checked
    EXPECT_EQ(portStatus(0, 0), QStringLiteral("Line OK!   SN:4711"));
    EXPECT_EQ(mpcStatus(), QStringLiteral("Line OK!   SN:4711"));
    EXPECT_EQ(commands(0), std::vector<int>{5});
}

TEST_F(MplexTest, StatusFieldDoubleClickTeachesOnlyAnAnsweringPort) {
    startSensors(2);
    InitMplex(app(), 1);
    ui().setInt(panels().mpc, MPC_TEACHVAL, 700);
    sensor(0).setFault(sim::Fault::NoReply, 5);

    for (int p = 0; p < 2; ++p) {
        ui().deliver(portPanel(0, p), PORT_STATUS, ui::EVENT_LEFT_CLICK);
        ui().deliver(portPanel(0, p), PORT_STATUS, ui::EVENT_LEFT_DOUBLE_CLICK);
    }

    EXPECT_EQ(portStatus(0, 0), QStringLiteral("Timeout RS-232!"));
    EXPECT_FALSE(received(0, 16));
    EXPECT_EQ(portStatus(0, 1), QStringLiteral("TEACH-IN OK!"));
    EXPECT_EQ(commands(1), (std::vector<int>{5, 16}));
    EXPECT_EQ(app().state.mplex.currentPort.comPort, 2);
}

TEST_F(MplexTest, SensorThatHangsUpEndsTheWaitAndIsReopenedByInit) {
    startSensors(2);
    InitMplex(app(), 1);
    sensor(1).setFault(sim::Fault::HangUp, 16, 1);

    QElapsedTimer clock;
    clock.start();
    ActivateMplex(app(), 1);
    // Port 1 answers at once; port 2's wait ends with the device, well before its 0.5 s.
    EXPECT_LT(clock.elapsed(), 450);
    EXPECT_EQ(portStatus(0, 0), QStringLiteral("TEACH-IN OK!"));
    EXPECT_EQ(portStatus(0, 1), QStringLiteral("Timeout RS-232!"));
    EXPECT_NE(port(0, 1).openState, 1);

    const QString device = sensor(1).reopen();
    ASSERT_FALSE(device.isEmpty());
    ASSERT_TRUE(sim::addPortMapEntries(mapPath(), {{2, device}}));
    InitMplex(app(), 1);
    EXPECT_EQ(portStatus(0, 1), QStringLiteral("Init-Port P2 OK!"));
    EXPECT_EQ(port(0, 1).openState, 1);
    ActivateMplex(app(), 1);
    EXPECT_EQ(portStatus(0, 1), QStringLiteral("TEACH-IN OK!"));
}

TEST_F(MplexTest, SensorThatHangsUpDuringIdentificationLeavesThePortClosed) {
    startSensors(1);
    sensor(0).setFault(sim::Fault::HangUp, 7, 1);

    QElapsedTimer clock;
    clock.start();
    clickScope(0, 0);
    EXPECT_LT(clock.elapsed(), 900);
    EXPECT_NE(port(0, 0).openState, 1);
    EXPECT_FALSE(app().ports.isOpen(1));
}

}  // namespace
}  // namespace korvo::test
