// Start-up of the program: panels, start values, header, profile graph marks, failures.

#include <QApplication>
#include <QDate>
#include <QLabel>
#include <QRegularExpression>

#include "ScopeAppFixture.h"
#include "app/ControlIds.h"
#include "app/Startup.h"
#include "ui/Graph.h"

namespace korvo::test {
namespace {

using namespace ids;

bool anyTopLevelVisible() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible()) return true;
    return false;
}

QLabel* labelWithText(QWidget* panel, const QString& text) {
    for (QLabel* l : panel->findChildren<QLabel*>())
        if (l->text() == text) return l;
    return nullptr;
}

TEST_F(ScopeAppTest, StartShowsTheMultiplexerWindowOnly) {
    ASSERT_EQ(start(), 0);
    EXPECT_TRUE(ui().panelVisible(panels().mpc));
    EXPECT_FALSE(ui().panelVisible(panels().main));
    EXPECT_EQ(ui().activeTabPage(panels().mpc, MPC_TAB), 0);
    EXPECT_EQ(ui().panelWidget(panels().main)->windowTitle(), "KORVO-KM-Scope V3.18");
    // The settings file shown is the one the program will write at the end.
    EXPECT_EQ(ui().textBoxLines(panels().mpc, MPC_INIFILE).join('\n'), dir.file("MPLEX16.ini"));
    // Child panels sit at their places inside the scope window.
    for (int child : {panels().para1, panels().para2, panels().recorder, panels().calib})
        EXPECT_EQ(ui().panelGeometry(child).topLeft(), QPoint(8, 105));
    EXPECT_EQ(ui().panelGeometry(panels().connect).topLeft(), QPoint(337, 316));
}

TEST_F(ScopeAppTest, StartLaysOutAndNumbersThe112PortPanels) {
    ASSERT_EQ(start(), 0);
    for (int g = 0; g < kGroupCount; ++g) {
        for (int p = 0; p < kPortsPerGroup; ++p) {
            const int panel = portPanel(g, p);
            SCOPED_TRACE(QString("group %1 port %2").arg(g).arg(p).toStdString());
            EXPECT_EQ(ui().getInt(panel, PORT_COM), 16 * g + p + 1);
            EXPECT_EQ(ui().getInt(panel, PORT_BAUD), 1);
            EXPECT_EQ(ui().getInt(panel, PORT_ENABLE), 1);
            EXPECT_EQ(ui().getInt(panel, PORT_SCOPE), 0);
            EXPECT_EQ(ui().getText(panel, PORT_STATUS), "not connected");
            EXPECT_EQ(ui().label(panel, PORT_ENABLE), QString("P%1").arg(p + 1));
            EXPECT_EQ(ui().getInt(panel, PORT_GROUP), g);
            EXPECT_EQ(ui().getInt(panel, PORT_NUMBER), p);
            EXPECT_EQ(ui().panelGeometry(panel).topLeft(),
                      QPoint(p < 8 ? 1 : 376, 40 * (p % 8 + 1)));
            EXPECT_TRUE(ui().panelVisible(panel));
        }
    }
    EXPECT_EQ(app().state.mplex.groups[6].ports[15].comPort, 112);
    EXPECT_EQ(ui().ctrl(portPanel(1, 2), PORT_ENABLE)->accessibleName(), "P3 enable");
    EXPECT_EQ(ui().ctrl(portPanel(1, 2), PORT_SCOPE)->accessibleName(), "P3 scope");
    EXPECT_EQ(ui().ctrl(portPanel(1, 2), PORT_STATUS)->accessibleName(), "P3 status");
}

TEST_F(ScopeAppTest, StartGivesTheSharedStateItsStartValues) {
    ASSERT_EQ(start(), 0);
    const AppState& s = app().state;
    EXPECT_EQ(s.link.stopFlag, kStopByUser);
    EXPECT_EQ(s.link.commandCode, 1);
    EXPECT_EQ(s.link.startWord, 0x0055);
    EXPECT_EQ(s.memoryTarget, 1);
    EXPECT_EQ(s.link.portNumber, 1);
    EXPECT_EQ(s.link.baudIndex, 1);
    EXPECT_EQ(s.model.pixelCount, 4096);
    EXPECT_EQ(s.model.lastPixel, 1024);
    EXPECT_EQ(s.model.videoX[255], 1020.0);
    EXPECT_EQ(s.video.thresholdLine[0], 102);
    EXPECT_EQ(s.video.thresholdArray[255], 102);
    EXPECT_EQ(s.linTable[2047], 0);
    EXPECT_EQ(s.versionText, "V3.18");
    EXPECT_EQ(s.buildText, "Build: 06/Nov/2013");
    EXPECT_EQ(s.titleText, "KORVO-KM-Scope");

    EXPECT_EQ(s.recorderPath, dir.file("RECORD.DAT"));
    EXPECT_EQ(ui().getText(panels().recorder, REC_FILENAME), dir.file("RECORD.DAT"));
    const QString date = ui().getText(panels().recorder, REC_DATE);
    EXPECT_EQ(date, QDate::currentDate().toString("MM-dd-yyyy"));
    EXPECT_TRUE(QRegularExpression("^\\d\\d-\\d\\d-\\d{4}$").match(date).hasMatch());

    EXPECT_DOUBLE_EQ(ui().getDouble(panels().main, MAIN_TOLUP_MM), 0.1);
    EXPECT_DOUBLE_EQ(ui().getDouble(panels().main, MAIN_TOLLOW_MM), 0.1);
    EXPECT_FALSE(ui().visible(panels().main, MAIN_HELP));
    EXPECT_FALSE(ui().visible(panels().main, MAIN_HELPLARGE));
    EXPECT_EQ(ui().boundingRect(panels().main, MAIN_HELP).topLeft(), QPoint(10, 110));
    EXPECT_EQ(ui().getText(panels().connect, CON_HELP), "HELPTEXT3");
}

TEST_F(ScopeAppTest, StartMarksTheProfileGraphWithCursorsAndBand) {
    ASSERT_EQ(start(), 0);
    const ui::GraphModel& m = ui().graph(panels().main, MAIN_PROFILE)->model();
    EXPECT_TRUE(m.plots.empty());
    ASSERT_EQ(m.cursors.size(), 3u);
    EXPECT_EQ(m.cursors.at(1).x, 512.0);
    EXPECT_EQ(m.cursors.at(2).x, 1.0);
    EXPECT_EQ(m.cursors.at(3).x, 1024.0);
    for (int c = 1; c <= 3; ++c) EXPECT_EQ(m.cursors.at(c).y, 1.0);
    ASSERT_EQ(m.rects.size(), 1u);
    const ui::GraphRect& band = m.rects[0];
    EXPECT_EQ(band.x1, 412.0);
    EXPECT_EQ(band.x2, 612.0);
    EXPECT_EQ(band.y1, 0.0);
    EXPECT_EQ(band.y2, 0.25);
    EXPECT_EQ(band.outline, 0x00FF00u);
    EXPECT_EQ(band.fill, 0x00FF00u);
}

TEST_F(ScopeAppTest, StartDrawsTheVendorHeader) {
    ASSERT_EQ(start(), 0);
    const int main = panels().main;
    EXPECT_EQ(ui().backgroundColor(main, MAIN_HEADER), 0x0080FFu);
    EXPECT_TRUE(ui().visible(main, MAIN_LOGO));
    EXPECT_EQ(ui().boundingRect(main, MAIN_LOGO).topLeft(), QPoint(300, 10));

    QLabel* title = labelWithText(ui().panelWidget(main), "KORVO-KM-Scope");
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->pos(), QPoint(300, 35));
    EXPECT_EQ(title->font().pixelSize(), 18);
    EXPECT_EQ(title->toolTip(), "Build: 06/Nov/2013");
    QLabel* version = labelWithText(ui().panelWidget(main), "V3.18");
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->pos(), QPoint(450, 42));
    EXPECT_EQ(version->font().pixelSize(), 11);
    EXPECT_EQ(version->palette().color(version->foregroundRole()).rgb() & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(ScopeAppTest, StartReadsTheSettingsFileOfTheProgramDirectory) {
    dir.write("MPLEX16.ini", crlf("[MPLEX_GEN]\nMPC-Teach-Val = 66236\n\n"
                                  "[MPLEX2_PORT4]\nCOM = 99\nBaudrate = 4\n\n"));
    ASSERT_EQ(start(), 0);
    EXPECT_EQ(ui().getInt(panels().mpc, MPC_TEACHVAL), 700);  // low 16 bits of 66236
    EXPECT_EQ(ui().getInt(portPanel(1, 3), PORT_COM), 99);
    EXPECT_EQ(ui().getInt(portPanel(1, 3), PORT_BAUD), 4);
    EXPECT_EQ(ui().getInt(portPanel(1, 4), PORT_COM), 21);
}

TEST_F(ScopeAppTest, StartWithoutBitmapsStillSucceeds) {
    dir.remove("orbi.bmp");
    dir.remove("ulmen.bmp");
    EXPECT_EQ(start(), 0);
}

TEST_F(ScopeAppTest, MissingScopeLayoutEndsStartUpWithoutAWindow) {
    dir.remove(kScopeLayoutFile);
    EXPECT_EQ(start(), -1);
    EXPECT_FALSE(anyTopLevelVisible());
}

TEST_F(ScopeAppTest, MissingMultiplexerLayoutEndsStartUpWithoutAWindow) {
    dir.remove(kMplexLayoutFile);
    EXPECT_EQ(start(), -1);
    EXPECT_FALSE(anyTopLevelVisible());
}

TEST_F(ScopeAppTest, LayoutNamingAnUnknownCallbackEndsStartUp) {
    QByteArray layout = dir.read(kScopeLayoutFile);
    ASSERT_TRUE(layout.contains("<string>CC_BTNRun</string>"));
    layout.replace("<string>CC_BTNRun</string>", "<string>CC_BTNRunFaster</string>");
    dir.write(kScopeLayoutFile, layout);
    EXPECT_EQ(start(), -1);
    EXPECT_FALSE(anyTopLevelVisible());
}

}  // namespace
}  // namespace korvo::test
