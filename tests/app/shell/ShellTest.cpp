// Start-up of the program (panels, start values, settings read back, the failures that end it)
// and the two window callbacks: closing, resizing and restoring both windows.

#include <pty.h>
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QDate>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include "app/program/WindowCallbacks.h"
#include "core/process/StopSignals.h"
#include "support/AppFixture.h"

namespace korvo::test {
namespace {

using namespace ids;

TEST_F(ScopeAppTest, StartShowsTheMultiplexerWithItsStartValues) {
    ASSERT_EQ(start(), 0);
    EXPECT_TRUE(ui().panelVisible(panels().mpc));
    EXPECT_FALSE(ui().panelVisible(panels().main));
    EXPECT_EQ(ui().activeTabPage(panels().mpc, MPC_TAB), 0);
    EXPECT_EQ(ui().panelWidget(panels().main)->windowTitle(), "KORVO-KM-Scope V3.18");
    // The settings file shown is the one the program will write at the end.
    EXPECT_EQ(ui().textBoxLines(panels().mpc, MPC_INIFILE).join('\n'), dir.file("MPLEX16.ini"));
    for (int child : {panels().para1, panels().para2, panels().recorder, panels().calib})
        EXPECT_EQ(ui().panelGeometry(child).topLeft(), QPoint(8, 105));

    const AppState& s = app().state;
    EXPECT_EQ(app().sensor.link.stopFlag, kStopByUser);
    EXPECT_EQ(s.memoryTarget, 1);
    EXPECT_EQ(app().sensor.model.lastPixel, 1024);
    EXPECT_EQ(ui().getText(panels().recorder, REC_DATE),
              QDate::currentDate().toString("MM-dd-yyyy"));
    EXPECT_DOUBLE_EQ(ui().getDouble(panels().main, MAIN_TOLUP_MM), 0.1);
    EXPECT_DOUBLE_EQ(ui().getDouble(panels().main, MAIN_TOLLOW_MM), 0.1);
    EXPECT_FALSE(ui().visible(panels().main, MAIN_HELP));

    const ui::GraphModel& m = graphModel(panels().main, MAIN_PROFILE);
    ASSERT_EQ(m.cursors.size(), 3u);
    EXPECT_EQ(m.cursors.at(1).x, 512.0);
    EXPECT_EQ(m.cursors.at(2).x, 1.0);
    EXPECT_EQ(m.cursors.at(3).x, 1024.0);
    ASSERT_EQ(m.rects.size(), 1u);
    EXPECT_EQ(QRectF(QPointF(m.rects[0].x1, m.rects[0].y1), QPointF(m.rects[0].x2, m.rects[0].y2)),
              QRectF(QPointF(412, 0), QPointF(612, 0.25)));
    EXPECT_EQ(m.rects[0].fill, 0x00FF00u);
}

TEST_F(ScopeAppTest, StartLaysOutAndNumbersThe112PortPanels) {
    ASSERT_EQ(start(), 0);
    for (int g = 0; g < kMplexGroups; ++g) {
        for (int p = 0; p < kMplexPortsPerGroup; ++p) {
            SCOPED_TRACE(QString("group %1 port %2").arg(g).arg(p).toStdString());
            const int panel = portPanel(g, p);
            EXPECT_EQ(ui().getInt(panel, PORT_COM), 16 * g + p + 1);
            EXPECT_EQ(ui().getInt(panel, PORT_BAUD), 1);
            EXPECT_EQ(ui().getInt(panel, PORT_ENABLE), 1);
            EXPECT_EQ(ui().getText(panel, PORT_STATUS), "not connected");
            EXPECT_EQ(ui().label(panel, PORT_ENABLE), QString("P%1").arg(p + 1));
            EXPECT_EQ(ui().panelGeometry(panel).topLeft(),
                      QPoint(p < 8 ? 1 : 376, 40 * (p % 8 + 1)));
        }
    }
}

TEST_F(ScopeAppTest, StartReadsBothSettingsFilesOfTheProgramDirectory) {
    dir.write("MPLEX16.ini", crlf("[MPLEX_GEN]\nMPC-Teach-Val = 66236\n\n"
                                  "[MPLEX2_PORT4]\nCOM = 99\n\n"));
    dir.write("KORVO-KM-Scope.ini",
              crlf("[CONNECTION]\nCOM Port = 7\nBAUDRATE = 3\n\n[APPLICATION]\n"
                   "Panel max = 0\nPanel pos. x = 40\nPanel pos. y = 50\n"
                   "Panel width  = 700\nPanel height = 500\n\n[HARDWAREINFO]\n"
                   "Hardware-Type = 3\n\n"));
    ASSERT_EQ(start(), 0);
    // How the files read is unit-tested; here: both reach the windows.
    EXPECT_EQ(ui().getInt(panels().mpc, MPC_TEACHVAL), 700);  // low 16 bits of 66236
    EXPECT_EQ(ui().getInt(portPanel(1, 3), PORT_COM), 99);
    EXPECT_EQ(ui().getInt(panels().connect, CON_BAUD), 3);
    EXPECT_EQ(app().sensor.link.portNumber, 7);
    EXPECT_EQ(ui().panelGeometry(mainPanel()), QRect(40, 50, 700, 500));
    EXPECT_EQ(app().sensor.model.hardwareType, 0);  // only an identified sensor sets it
}

TEST_F(ScopeAppTest, RunEndsAtOnceWithoutLayoutOrCallbackButBitmapsAreOptional) {
    struct Case {
        const char* what;
        int result;
    };
    for (const Case c : {Case{"bitmaps", 0}, Case{kScopeLayoutFile, -1}, Case{kMplexLayoutFile, -1},
                         Case{"callback", -1}}) {
        SCOPED_TRACE(c.what);
        ProgramDir fresh;
        const QString what = c.what;
        if (what == "bitmaps") {
            fresh.remove("orbi.bmp");
            fresh.remove("ulmen.bmp");
        } else if (what == "callback") {
            QByteArray layout = fresh.read(kScopeLayoutFile);
            ASSERT_TRUE(layout.contains("<string>CC_BTNRun</string>"));
            fresh.write(kScopeLayoutFile, layout.replace("<string>CC_BTNRun</string>",
                                                         "<string>CC_BTNRunFaster</string>"));
        } else {
            fresh.remove(what);
        }
        ui::Platform platform(fresh.path());
        platform.setPopups(std::make_unique<ScriptedPopups>());
        int mpc = 0;
        const int result =
            RunScopeProgram(platform, FileLocations::programFolder(fresh.path()), [&](ScopeApp& a) {
                mpc = a.panels.mpc;
                QTimer::singleShot(0, [&platform, mpc] { platform.userClosePanel(mpc); });
            });
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(fresh.read("MPLEX16.ini").startsWith("[APPLICATION]\r\n"), c.result == 0);
        if (c.result == 0) {
            EXPECT_EQ(platform.panelWidget(mpc), nullptr);  // discarded
        }
        bool anyVisible = false;
        for (QWidget* w : QApplication::topLevelWidgets()) anyVisible |= w->isVisible();
        EXPECT_FALSE(anyVisible);
    }
}

TEST_F(ScopeAppTest, ClosingTheScopeWindowSwitchesOffTheActiveGroupsTogglesOnly) {
    ASSERT_EQ(start(), 0);
    for (auto [g, p] : {std::pair{2, 3}, {2, 12}, {0, 5}, {6, 15}})
        ui().setInt(portPanel(g, p), PORT_SCOPE, 1);
    ui().setActiveTabPage(panels().mpc, MPC_TAB, 2);
    ui().displayPanel(panels().main);
    app().sensor.link.stopFlag = kStopRunning;

    ui().userClosePanel(panels().main);

    EXPECT_FALSE(ui().panelVisible(panels().main));
    EXPECT_EQ(app().sensor.link.stopFlag, kStopByUser);
    EXPECT_EQ(ui().getInt(portPanel(2, 3), PORT_SCOPE), 0);
    EXPECT_EQ(ui().getInt(portPanel(2, 12), PORT_SCOPE), 0);
    EXPECT_EQ(ui().getInt(portPanel(0, 5), PORT_SCOPE), 1);
    EXPECT_EQ(ui().getInt(portPanel(6, 15), PORT_SCOPE), 1);
    EXPECT_FALSE(ui().quitRequested());
}

TEST_F(ScopeAppTest, ClosingTheMultiplexerKeepsTheOldFileAndSaysSoWhenWritingFails) {
    ASSERT_EQ(start(), 0);
    // A folder in the file's place: nothing can be written there.
    ASSERT_TRUE(QDir(dir.path()).mkdir("MPLEX16.ini"));
    popups->expectMessage("ATTENTION!", QString());  // the text carries the system's words

    ui().userClosePanel(panels().mpc);

    ASSERT_EQ(popups->shown().size(), 1u);
    EXPECT_TRUE(popups->shown()[0].text.contains("MPLEX16.ini"));
    EXPECT_TRUE(ui().quitRequested());  // the program still ends
    EXPECT_TRUE(QFileInfo(dir.file("MPLEX16.ini")).isDir());
}

// A logout's SIGTERM ends the program through the multiplexer window's close: the ports closed
// and the settings file written even when nothing changed, up to the last port of the last group
// (its layout is unit-tested). The signal goes to this test program alone, which catches it
// through the same mechanism as the program.
TEST_F(ScopeAppTest, SigtermClosesTheMultiplexerWindowThePortsAndWritesTheSettingsFile) {
    int master = -1, slave = -1;
    char name[256] = {};
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    dir.write("COMPORTS.map", QByteArray("COM7 = ") + name + "\n");
    ASSERT_EQ(start(), 0);
    ASSERT_GE(app().ports.open(7, 1, 4096), 0);
    StopSignals::install({SIGTERM});
    CloseOnStopSignal(app());
    app().sensor.link.stopFlag = kStopRunning;
    QTimer::singleShot(0, [] { ::kill(::getpid(), SIGTERM); });
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, [this] { ui().quitUserInterface(-1); });
    giveUp.start(5000);

    EXPECT_EQ(ui().runUserInterface(), 0);  // ended by the close, not by giving up
    StopSignals::onSignal({});
    EXPECT_EQ(app().sensor.link.stopFlag, kStopByUser);
    EXPECT_FALSE(app().ports.isOpen(7));
    ::close(slave);
    ::close(master);
    EXPECT_TRUE(
        dir.read("MPLEX16.ini")
            .endsWith("[MPLEX7_PORT16]\r\nEnable = 1\r\nBaudrate = 1\r\nCOM = 112\r\n\r\n"));
}

TEST_F(ScopeAppTest, RightDoubleClickRestoresAndCentresBothWindows) {
    ASSERT_EQ(start(), 0);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    for (const auto& [panel, height] : {std::pair{panels().main, 548}, {panels().mpc, 545}}) {
        ui().displayPanel(panel);
        ui().setPanelSize(panel, 300, 400);
        ui().setPanelPos(panel, 0, 0);
        ui().deliver(panel, 0, ui::EVENT_RIGHT_DOUBLE_CLICK);
        const QRect g = ui().panelGeometry(panel);
        EXPECT_EQ(g.size(), QSize(780, height));
        EXPECT_NEAR(g.center().x(), screen.center().x(), 2);
        EXPECT_NEAR(g.center().y(), screen.center().y(), 2);
    }
}

}  // namespace
}  // namespace korvo::test
