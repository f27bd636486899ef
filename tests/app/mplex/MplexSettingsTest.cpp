// The multiplexer settings file seen from the multiplexer window: writing and reading back, the
// save and load buttons, the group enable switch.

#include "app/mplex/MplexPanel.h"
#include "app/mplex/MplexSettingsFile.h"
#include "support/AppFixture.h"

namespace korvo::test {
namespace {

using namespace ids;

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
// read back restores the window, the dimming of a group switched off in it included.
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
    ASSERT_TRUE(ReadIniFile(app(), dir.file("round.ini")));

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

TEST_F(MplexSettingsTest, LoadAppliesTheChosenFile) {
    dir.write("other.ini", crlf("[MPLEX7_PORT16]\nCOM = 200\n\n"));
    popups->expectFile(kDialogTitle, {ui::FileChoice::Existing, dir.file("other.ini")});

    ui().click(panels().mpc, MPC_LOAD);

    EXPECT_EQ(ui().getInt(portPanel(6, 15), PORT_COM), 200);
    EXPECT_EQ(shownSettingsFile(), dir.file("other.ini"));
}

}  // namespace
}  // namespace korvo::test
