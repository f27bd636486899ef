// The multiplexer settings file seen from the multiplexer window: reading rules, writing and
// reading back, the save and load buttons, the group enable switch.

#include "ScopeAppFixture.h"
#include "app/ControlIds.h"
#include "app/MplexPanel.h"
#include "app/MplexSettingsFile.h"

namespace korvo::test {
namespace {

using namespace ids;

const QString kDialogTitle = "MPLEX Initialisation File";

class MplexSettingsTest : public ScopeAppTest {
protected:
    void SetUp() override { ASSERT_EQ(start(), 0); }

    bool portControlsDimmed(int group, int port) {
        const int panel = portPanel(group, port);
        for (int c : {PORT_SCOPE, PORT_BAUD, PORT_COM, PORT_STATUS})
            if (!ui().dimmed(panel, c)) return false;
        return true;
    }
    bool portControlsEnabled(int group, int port) {
        const int panel = portPanel(group, port);
        for (int c : {PORT_ENABLE, PORT_SCOPE, PORT_BAUD, PORT_COM, PORT_STATUS})
            if (ui().dimmed(panel, c)) return false;
        return true;
    }
    QString shownSettingsFile() { return ui().textBoxLines(panels().mpc, MPC_INIFILE).join('\n'); }
};

TEST_F(MplexSettingsTest, DisabledGroupInTheFileDimsTheWholeGroupAndKeepsItsPorts) {
    dir.write("t.ini", crlf("[MPLEX_TAB]\nMPC-Tab3 = 0\n\n"));
    ASSERT_TRUE(ReadIniFile(app(), dir.file("t.ini")));

    EXPECT_EQ(app().state.mplex.groups[2].state, 0);
    EXPECT_EQ(ui().getInt(panels().tabPages[2], TAB_ENABLE), 0);
    EXPECT_TRUE(ui().dimmed(panels().tabPages[2], TAB_EXTRA1));
    EXPECT_TRUE(ui().dimmed(panels().tabPages[2], TAB_EXTRA2));
    for (int p = 0; p < 16; ++p) {
        EXPECT_TRUE(ui().dimmed(portPanel(2, p), PORT_ENABLE));
        EXPECT_TRUE(portControlsDimmed(2, p));
        EXPECT_EQ(ui().getInt(portPanel(2, p), PORT_COM), 33 + p);
        EXPECT_TRUE(portControlsEnabled(1, p));
    }
    EXPECT_FALSE(ui().dimmed(panels().tabPages[1], TAB_EXTRA1));
}

TEST_F(MplexSettingsTest, PortSectionWithoutComKeepsTheComNumber) {
    dir.write("t.ini", crlf("[MPLEX1_PORT2]\nEnable = 0\nBaudrate = 3\n\n"));
    ASSERT_TRUE(ReadIniFile(app(), dir.file("t.ini")));

    const MplexPort& port = app().state.mplex.groups[0].ports[1];
    EXPECT_EQ(port.comPort, 2);
    EXPECT_EQ(port.enabled, 0);
    EXPECT_EQ(port.baudIndex, 3);
    EXPECT_EQ(ui().getInt(portPanel(0, 1), PORT_COM), 2);
    EXPECT_EQ(ui().getInt(portPanel(0, 1), PORT_BAUD), 3);
    EXPECT_EQ(ui().getInt(portPanel(0, 1), PORT_ENABLE), 0);
    // A disabled port keeps only its check box usable.
    EXPECT_FALSE(ui().dimmed(portPanel(0, 1), PORT_ENABLE));
    EXPECT_TRUE(portControlsDimmed(0, 1));
    EXPECT_TRUE(portControlsEnabled(0, 0));
}

TEST_F(MplexSettingsTest, GeometryIsTakenOnlyWithTheMaxKeyAndCompletePairs) {
    const int mpc = panels().mpc;
    ui().setPanelPos(mpc, 50, 60);
    ui().setPanelSize(mpc, 500, 700);

    dir.write("pos.ini", crlf("[APPLICATION]\nMPC-Panel pos. x = 300\nMPC-Panel pos. y = 200\n"
                              "MPC-Panel width = 640\nMPC-Panel height = 480\n\n"));
    ASSERT_TRUE(ReadIniFile(app(), dir.file("pos.ini")));
    EXPECT_EQ(ui().panelGeometry(mpc), QRect(60, 50, 700, 500));

    dir.write("half.ini", crlf("[APPLICATION]\nMPC-Panel max = 0\nMPC-Panel pos. x = 300\n"
                               "MPC-Panel width = 640\nMPC-Panel height = 480\n\n"));
    ASSERT_TRUE(ReadIniFile(app(), dir.file("half.ini")));
    EXPECT_EQ(ui().panelGeometry(mpc), QRect(60, 50, 640, 480));

    dir.write("full.ini", crlf("[APPLICATION]\nMPC-Panel max = 0\nMPC-Panel pos. x = 30\n"
                               "MPC-Panel pos. y = 20\n\n"));
    ASSERT_TRUE(ReadIniFile(app(), dir.file("full.ini")));
    EXPECT_EQ(ui().panelGeometry(mpc), QRect(30, 20, 640, 480));
}

TEST_F(MplexSettingsTest, MissingFileChangesNothing) {
    EXPECT_FALSE(ReadIniFile(app(), dir.file("nothing-here.ini")));
    EXPECT_EQ(ui().getInt(portPanel(3, 3), PORT_COM), 52);
}

TEST_F(MplexSettingsTest, WrittenFileReadsBackToTheSameSettings) {
    const int mpc = panels().mpc;
    ui().setInt(mpc, MPC_TEACHVAL, 700);
    ui().setInt(mpc, MPC_TOLHIGH, 33);
    ui().setInt(mpc, MPC_TOLLOW, 44);
    ui().setInt(portPanel(4, 9), PORT_COM, 99);
    ui().setInt(portPanel(4, 9), PORT_BAUD, 4);
    ui().setInt(portPanel(4, 9), PORT_ENABLE, 0);
    ui().setInt(portPanel(4, 10), PORT_SCOPE, 1);
    ui().setText(portPanel(4, 10), PORT_STATUS, "Line OK!");
    ui().setActiveTabPage(mpc, MPC_TAB, 5);
    ui().click(panels().tabPages[5], TAB_ENABLE);  // group 6 off
    ASSERT_EQ(app().state.mplex.groups[5].state, 0);
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
    ui().setPanelSize(mpc, 300, 400);
    ASSERT_TRUE(ReadIniFile(app(), dir.file("round.ini")));

    EXPECT_EQ(ui().getInt(mpc, MPC_TEACHVAL), 700);
    EXPECT_EQ(ui().getInt(mpc, MPC_TOLHIGH), 33);
    EXPECT_EQ(ui().getInt(mpc, MPC_TOLLOW), 44);
    EXPECT_EQ(ui().getInt(portPanel(4, 9), PORT_COM), 99);
    EXPECT_EQ(ui().getInt(portPanel(4, 9), PORT_BAUD), 4);
    EXPECT_EQ(ui().getInt(portPanel(4, 9), PORT_ENABLE), 0);
    EXPECT_EQ(ui().getInt(panels().tabPages[5], TAB_ENABLE), 0);
    EXPECT_TRUE(portControlsDimmed(5, 0));
    EXPECT_EQ(ui().panelGeometry(mpc), QRect(70, 40, 760, 520));
    // Neither scope toggles nor status texts are kept in the file.
    EXPECT_EQ(ui().getInt(portPanel(4, 10), PORT_SCOPE), 0);
    EXPECT_EQ(ui().getText(portPanel(4, 10), PORT_STATUS), "not connected");
}

TEST_F(MplexSettingsTest, GroupSwitchDimsAndRestoresItsGroup) {
    ui().setInt(portPanel(3, 4), PORT_ENABLE, 0);
    GetMplexPortValues(app(), 3, 4);
    ui().setActiveTabPage(panels().mpc, MPC_TAB, 3);

    ui().click(panels().tabPages[3], TAB_ENABLE);
    EXPECT_EQ(app().state.mplex.groups[3].state, 0);
    for (int p = 0; p < 16; ++p) EXPECT_TRUE(portControlsDimmed(3, p));

    ui().click(panels().tabPages[3], TAB_ENABLE);
    EXPECT_EQ(app().state.mplex.groups[3].state, 1);
    EXPECT_TRUE(portControlsEnabled(3, 3));
    EXPECT_TRUE(portControlsDimmed(3, 4));  // its own check box is off
    EXPECT_FALSE(ui().dimmed(portPanel(3, 4), PORT_ENABLE));
}

TEST_F(MplexSettingsTest, GetPortValuesMakesThePortCurrent) {
    ui().setInt(portPanel(2, 7), PORT_COM, 77);
    EXPECT_EQ(GetMplexPortValues(app(), 2, 7), portPanel(2, 7));
    EXPECT_EQ(app().state.mplex.currentPort.comPort, 77);
    EXPECT_EQ(app().state.mplex.currentPort.panel, portPanel(2, 7));
    // A group number out of range acts on the first group.
    ui().setInt(panels().tabPages[0], TAB_ENABLE, 0);
    EXPECT_EQ(GetMplexTabState(app(), 9), 0);
    EXPECT_EQ(app().state.mplex.groups[0].state, 0);
}

TEST_F(MplexSettingsTest, SaveOverAnExistingFileWritesNothingWhenDeclined) {
    dir.write("keep.ini", "old");
    const QString before = shownSettingsFile();
    popups->expectFile(kDialogTitle, {ui::FileChoice::Existing, dir.file("keep.ini")});
    popups->expectConfirm("ATTENTION!", "MPLEX Initialisation File already exists - overwrite ?",
                          false);

    ui().click(panels().mpc, MPC_SAVE);

    EXPECT_EQ(dir.read("keep.ini"), "old");
    EXPECT_EQ(shownSettingsFile(), before);
    ASSERT_FALSE(popups->shown().empty());
    const auto& dialog = popups->shown()[0];
    EXPECT_EQ(dialog.directory, dir.path());
    EXPECT_EQ(dialog.defaultName, "MPLEX16.ini");
    EXPECT_EQ(dialog.filter, "*.ini");
}

TEST_F(MplexSettingsTest, SaveOverAnExistingFileWritesWhenConfirmed) {
    dir.write("over.ini", "old");
    popups->expectFile(kDialogTitle, {ui::FileChoice::Existing, dir.file("over.ini")});
    popups->expectConfirm("ATTENTION!", "MPLEX Initialisation File already exists - overwrite ?",
                          true);

    ui().click(panels().mpc, MPC_SAVE);

    EXPECT_TRUE(dir.read("over.ini").startsWith("[APPLICATION]\r\n"));
    EXPECT_EQ(shownSettingsFile(), dir.file("over.ini"));
}

TEST_F(MplexSettingsTest, SaveThatCannotWriteSaysSoAndKeepsTheShownFile) {
    const QString before = shownSettingsFile();
    popups->expectFile(kDialogTitle, {ui::FileChoice::New, dir.file("no-such-dir/x.ini")});

    ui().click(panels().mpc, MPC_SAVE);

    EXPECT_EQ(ui().getText(panels().mpc, MPC_STATUS), "MPLEX Initialisation File not written!");
    EXPECT_EQ(shownSettingsFile(), before);
}

TEST_F(MplexSettingsTest, CancelledSaveDoesNothing) {
    popups->expectFile(kDialogTitle, {});
    ui().click(panels().mpc, MPC_SAVE);
    EXPECT_FALSE(dir.exists("MPLEX16.ini"));
}

TEST_F(MplexSettingsTest, LoadAppliesTheChosenFile) {
    dir.write("other.ini", crlf("[MPLEX7_PORT16]\nCOM = 200\n\n"));
    popups->expectFile(kDialogTitle, {ui::FileChoice::Existing, dir.file("other.ini")});

    ui().click(panels().mpc, MPC_LOAD);

    EXPECT_EQ(ui().getInt(portPanel(6, 15), PORT_COM), 200);
    EXPECT_EQ(shownSettingsFile(), dir.file("other.ini"));
}

}  // namespace
}  // namespace korvo::test
