// The two window callbacks: closing, resizing and restoring the scope window and the
// multiplexer window.

#include <pty.h>
#include <unistd.h>

#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

#include "support/AppFixture.h"

namespace korvo::test {
namespace {

using namespace ids;

TEST_F(ScopeAppTest, ClosingTheScopeWindowSwitchesOffTheActiveGroupsTogglesOnly) {
    ASSERT_EQ(start(), 0);
    for (auto [g, p] : {std::pair{2, 3}, {2, 12}, {0, 5}, {6, 15}})
        ui().setInt(portPanel(g, p), PORT_SCOPE, 1);
    ui().setActiveTabPage(panels().mpc, MPC_TAB, 2);
    ui().displayPanel(panels().main);
    app().state.link.stopFlag = kStopRunning;

    ui().userClosePanel(panels().main);

    EXPECT_FALSE(ui().panelVisible(panels().main));
    EXPECT_EQ(app().state.link.stopFlag, kStopByUser);
    EXPECT_EQ(ui().getInt(portPanel(2, 3), PORT_SCOPE), 0);
    EXPECT_EQ(ui().getInt(portPanel(2, 12), PORT_SCOPE), 0);
    EXPECT_EQ(ui().getInt(portPanel(0, 5), PORT_SCOPE), 1);
    EXPECT_EQ(ui().getInt(portPanel(6, 15), PORT_SCOPE), 1);
    EXPECT_FALSE(ui().quitRequested());
}

TEST_F(ScopeAppTest, ClosingTheMultiplexerWritesTheSettingsFileEvenWhenNothingChanged) {
    int master = -1, slave = -1;
    char name[256] = {};
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    dir.write("COMPORTS.map", QByteArray("COM7 = ") + name + "\n");
    ASSERT_EQ(start(), 0);
    ASSERT_GE(app().ports.open(7, 1, 4096), 0);
    app().state.link.stopFlag = kStopRunning;

    ui().userClosePanel(panels().mpc);

    EXPECT_TRUE(ui().quitRequested());
    EXPECT_EQ(app().state.link.stopFlag, kStopByUser);
    EXPECT_FALSE(app().ports.isOpen(7));
    ::close(slave);
    ::close(master);
    // The file's layout is unit-tested; here: the window's geometry and every port go into it.
    const QByteArray bytes = dir.read("MPLEX16.ini");
    const QRect g = ui().panelGeometry(panels().mpc);
    EXPECT_TRUE(bytes.startsWith(QString("[APPLICATION]\r\nMPC-Panel max = 0\r\n"
                                         "MPC-Panel pos. x = %1\r\nMPC-Panel pos. y = %2\r\n"
                                         "MPC-Panel width = %3\r\nMPC-Panel height = %4\r\n\r\n"
                                         "[MPLEX_GEN]\r\n")
                                     .arg(g.left())
                                     .arg(g.top())
                                     .arg(g.width())
                                     .arg(g.height())
                                     .toLatin1()));
    EXPECT_TRUE(
        bytes.endsWith("[MPLEX7_PORT16]\r\nEnable = 1\r\nBaudrate = 1\r\nCOM = 112\r\n"
                       "\r\n"));
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
