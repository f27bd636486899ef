// GET and SEND with the File target: the file dialogs, the overwrite question, the status texts,
// and files that cannot be written or hold nonsense.

#include "app/params/MainCommands.h"
#include "support/AppFixture.h"

namespace korvo::test {
namespace {

using namespace ids;

const QString kSendTitle = "KORVO-KM-Series Parameter File";
const QString kGetTitle = "KORVO-KM-Series-Parameter-File";
const QString kFile = "KORVO-PARA.ini";

class ScopeParamFileTest : public ScopeAppTest {
protected:
    void SetUp() override {
        launch();
        if (HasFatalFailure()) return;
        ui().click(mainPanel(), MAIN_FILE);
        ASSERT_EQ(app().state.memoryTarget, 3);
    }
    void send(ui::FileChoice choice, int confirm = -1) {
        popups->expectFile(kSendTitle, std::move(choice));
        if (confirm >= 0)
            popups->expectConfirm("ATTENTION!", "Parameter-File already exists - overwrite ?",
                                  confirm == 1);
        ui().click(mainPanel(), MAIN_SEND);
    }
    void get(ui::FileChoice choice) {
        popups->expectFile(kGetTitle, std::move(choice));
        ui().click(mainPanel(), MAIN_GET);
    }
};

TEST_F(ScopeParamFileTest, SaveIntoANewFileWritesAtOnceAndAnExistingOneAfterAsking) {
    ui().setInt(panels().para2, P2_POWER, 345);
    send({ui::FileChoice::New, dir.file(kFile)});
    ASSERT_EQ(popups->shown().size(), 1u);
    EXPECT_EQ(popups->shown()[0].directory, dir.path());
    EXPECT_EQ(popups->shown()[0].defaultName, kFile);
    EXPECT_EQ(popups->shown()[0].filter, "*.ini");
    EXPECT_TRUE(dir.read(kFile).startsWith("[PARA0]\r\nPower = 345\r\nPower-Mode = 1\r\n"));
    EXPECT_EQ(mainStatus(), "Parameter saved to file!");
    EXPECT_EQ(ui().ctrl(mainPanel(), MAIN_STATUS)->toolTip(), dir.file(kFile));
    ShowMainStatus(app(), "Timeout-RS-232...");  // a later status has no file behind it
    EXPECT_TRUE(ui().ctrl(mainPanel(), MAIN_STATUS)->toolTip().isEmpty());

    dir.write(kFile, "old contents\r\n");
    send({ui::FileChoice::Existing, dir.file(kFile)}, 0);
    EXPECT_EQ(dir.read(kFile), "old contents\r\n");
    EXPECT_EQ(mainStatus(), "Parameter not saved to file!");

    send({ui::FileChoice::Existing, dir.file(kFile)}, 1);
    EXPECT_TRUE(dir.read(kFile).startsWith("[PARA0]\r\n"));
    EXPECT_EQ(mainStatus(), "Parameter saved to file!");
}

TEST_F(ScopeParamFileTest, CancelledOrFailedSavingSaysSo) {
    send({});
    EXPECT_EQ(mainStatus(), "Parameter saving to file failed!");

    // A folder that does not exist stands for any place that cannot be written.
    ShowMainStatus(app(), "something else");
    send({ui::FileChoice::New, dir.file("no-such-folder/" + kFile)});
    EXPECT_EQ(mainStatus(), "Parameter saving to file failed!");
    EXPECT_FALSE(dir.exists("no-such-folder/" + kFile));
}

TEST_F(ScopeParamFileTest, LoadTakesTheFileAndTheRangesApply) {
    dir.write(kFile, "[PARA0]\r\nTeach-Value = 700\r\n");
    const ParamSet before = app().state.params;
    // Before any sensor is known, and when cancelled, nothing changes.
    get({ui::FileChoice::Existing, dir.file(kFile)});
    EXPECT_EQ(app().state.params, before);
    EXPECT_EQ(mainStatus(), "Parameter not read from file!");
    app().state.model.hardwareType = 1;
    ShowMainStatus(app(), "something else");
    get({});
    EXPECT_EQ(app().state.params, before);
    EXPECT_EQ(mainStatus(), "Parameter not read from file!");

    // How a hand-written file is read is unit-tested; here: what is read goes through the
    // ranges onto the panels.
    dir.write(kFile, "[PARA0]\r\nPower = 1200\r\nTeach-Value = 700\r\n");
    get({ui::FileChoice::Existing, dir.file(kFile)});

    EXPECT_EQ(app().state.params.teachValue, 700);
    EXPECT_EQ(ui().getInt(panels().para2, P2_TEACHVAL), 700);
    EXPECT_EQ(app().state.params.power, 500);
    EXPECT_EQ(ui().getInt(panels().para2, P2_POWER), 500);
    EXPECT_EQ(mainStatus(), "Parameter read from file!");
}

}  // namespace
}  // namespace korvo::test
