// The two window callbacks: closing, resizing and restoring the scope window and the
// multiplexer window.

#include <pty.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include "ScopeAppFixture.h"
#include "app/ControlIds.h"
#include "app/Startup.h"
#include "ui/Graph.h"

namespace korvo::test {
namespace {

using namespace ids;

// Records the pop-ups instead of checking them against a script, for texts that carry the
// operating system's words.
class RecordingPopups final : public ui::Popups {
public:
    struct Message {
        QString title;
        QString text;
    };
    explicit RecordingPopups(std::vector<Message>& log) : log_(log) {}
    void message(const QString& title, const QString& text) override {
        log_.push_back({title, text});
    }
    bool confirm(const QString&, const QString&) override { return false; }
    ui::FileChoice fileSelect(const QString&, const QString&, const QString&,
                              const QString&) override {
        return {};
    }

private:
    std::vector<Message>& log_;
};

TEST_F(ScopeAppTest, ClosingTheScopeWindowSwitchesOffTheActiveGroupsTogglesOnly) {
    ASSERT_EQ(start(), 0);
    ui().setInt(portPanel(2, 3), PORT_SCOPE, 1);
    ui().setInt(portPanel(2, 12), PORT_SCOPE, 1);
    ui().setInt(portPanel(0, 5), PORT_SCOPE, 1);
    ui().setInt(portPanel(6, 15), PORT_SCOPE, 1);
    ui().setActiveTabPage(panels().mpc, MPC_TAB, 2);
    ui().displayPanel(panels().main);
    app().state.link.stopFlag = kStopRunning;  // as while the run loop is active

    ui().userClosePanel(panels().main);

    EXPECT_FALSE(ui().panelVisible(panels().main));
    EXPECT_EQ(app().state.link.stopFlag, kStopByUser);
    EXPECT_EQ(ui().getInt(portPanel(2, 3), PORT_SCOPE), 0);
    EXPECT_EQ(ui().getInt(portPanel(2, 12), PORT_SCOPE), 0);
    EXPECT_EQ(ui().getInt(portPanel(0, 5), PORT_SCOPE), 1);
    EXPECT_EQ(ui().getInt(portPanel(6, 15), PORT_SCOPE), 1);
    EXPECT_TRUE(ui().panelVisible(panels().mpc));
    EXPECT_FALSE(ui().quitRequested());
}

TEST_F(ScopeAppTest, ClosingTheMultiplexerWritesTheSettingsFileEvenWhenNothingChanged) {
    ASSERT_EQ(start(), 0);
    ASSERT_FALSE(dir.exists("MPLEX16.ini"));
    app().state.link.stopFlag = kStopRunning;

    ui().userClosePanel(panels().mpc);

    EXPECT_TRUE(ui().quitRequested());
    EXPECT_EQ(app().state.link.stopFlag, kStopByUser);
    const QByteArray bytes = dir.read("MPLEX16.ini");
    EXPECT_TRUE(bytes.startsWith("[APPLICATION]\r\nMPC-Panel max = 0\r\n"));
    const QRect g = ui().panelGeometry(panels().mpc);
    EXPECT_TRUE(bytes.contains(QString("MPC-Panel pos. x = %1\r\nMPC-Panel pos. y = %2\r\n"
                                       "MPC-Panel width = %3\r\nMPC-Panel height = %4\r\n\r\n"
                                       "[MPLEX_GEN]\r\n")
                                   .arg(g.left())
                                   .arg(g.top())
                                   .arg(g.width())
                                   .arg(g.height())
                                   .toLatin1()));
    EXPECT_TRUE(
        bytes.contains("[MPLEX_TAB]\r\nMPC-Tab1 = 1\r\nMPC-Tab2 = 1\r\nMPC-Tab3 = 1\r\n"
                       "MPC-Tab4 = 1\r\nMPC-Tab5 = 1\r\nMPC-Tab6 = 1\r\nMPC-Tab7 = 1\r\n"
                       "\r\n[MPLEX1_PORT1]\r\nEnable = 1\r\nBaudrate = 1\r\nCOM = 1\r\n"
                       "\r\n[MPLEX1_PORT2]\r\n"));
    EXPECT_TRUE(
        bytes.endsWith("[MPLEX7_PORT16]\r\nEnable = 1\r\nBaudrate = 1\r\nCOM = 112\r\n"
                       "\r\n"));
}

// The whole run: start-up, the event loop, the operator closing the multiplexer window, the
// panels discarded.
TEST(ScopeProgramRun, RunsUntilTheMultiplexerWindowIsClosed) {
    ProgramDir dir;
    ui::Platform platform(dir.path());
    platform.setPopups(std::make_unique<ScriptedPopups>());
    int mpc = 0;
    const int result = RunScopeProgram(platform, [&](ScopeApp& app) {
        mpc = app.panels.mpc;
        EXPECT_TRUE(platform.panelVisible(mpc));
        QTimer::singleShot(0, [&platform, mpc] { platform.userClosePanel(mpc); });
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(platform.panelWidget(mpc), nullptr);  // discarded
    EXPECT_TRUE(dir.read("MPLEX16.ini").startsWith("[APPLICATION]\r\n"));
}

TEST(ScopeProgramRun, EndsAtOnceWhenALayoutIsMissing) {
    ProgramDir dir;
    dir.remove(kMplexLayoutFile);
    ui::Platform platform(dir.path());
    platform.setPopups(std::make_unique<ScriptedPopups>());
    bool started = false;
    EXPECT_EQ(RunScopeProgram(platform, [&](ScopeApp&) { started = true; }), -1);
    EXPECT_FALSE(started);
    EXPECT_FALSE(dir.exists("MPLEX16.ini"));
}

TEST_F(ScopeAppTest, ClosingTheMultiplexerClosesTheOpenPorts) {
    int master = -1, slave = -1;
    char name[256] = {};
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    dir.write("COMPORTS.map", QByteArray("COM7 = ") + name + "\n");
    ASSERT_EQ(start(), 0);
    ASSERT_GE(app().ports.open(7, 1, 4096), 0);
    ASSERT_TRUE(app().ports.isOpen(7));

    ui().userClosePanel(panels().mpc);

    EXPECT_FALSE(app().ports.isOpen(7));
    ::close(slave);
    ::close(master);
}

TEST_F(ScopeAppTest, ClosingTheMultiplexerKeepsTheOldFileAndSaysSoWhenWritingFails) {
    ASSERT_EQ(start(), 0);
    std::vector<RecordingPopups::Message> shown;
    usePopups(std::make_unique<RecordingPopups>(shown));
    // A folder in the file's place: nothing can be written there.
    ASSERT_TRUE(QDir(dir.path()).mkdir("MPLEX16.ini"));

    ui().userClosePanel(panels().mpc);

    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "ATTENTION!");
    EXPECT_TRUE(shown[0].text.contains("MPLEX16.ini"));
    EXPECT_TRUE(ui().quitRequested());  // the program still ends
    EXPECT_TRUE(QFileInfo(dir.file("MPLEX16.ini")).isDir());
}

TEST_F(ScopeAppTest, RightDoubleClickRestoresAndCentresBothWindows) {
    ASSERT_EQ(start(), 0);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const std::pair<int, int> windows[] = {{panels().main, 548}, {panels().mpc, 545}};
    for (const auto& [panel, height] : windows) {
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

TEST_F(ScopeAppTest, ResizingTheScopeWindowRestoresTheRollGraphTraces) {
    ASSERT_EQ(start(), 0);
    ui::GraphWidget* roll = ui().graph(panels().main, MAIN_ROLLGRAPH);
    roll->setTraceCount(2);
    roll->setTraceColor(1, 0x123456);
    roll->setTraceStyle(4, 7);

    ui().deliver(panels().main, 0, ui::EVENT_PANEL_SIZE);

    const ui::StripChart& strip = roll->model().strip;
    EXPECT_EQ(strip.traceCount, 6);
    const QRgb expected[] = {0x008000, 0x008000, 0x000000, 0xFF0000, 0xFF0000, 0xFF0000};
    for (int t = 1; t <= 6; ++t) {
        EXPECT_EQ(strip.traceColors.at(t), expected[t - 1]) << "trace " << t;
        EXPECT_EQ(strip.traceStyles.at(t), 1) << "trace " << t;
    }
}

}  // namespace
}  // namespace korvo::test
