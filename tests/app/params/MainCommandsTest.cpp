// The main panel's own controls: evaluation range fields, memory target radios, tab toggles, the
// CONNECT toggle, GET and SEND with RAM, EEPROM and File (its dialogs and overwrite question).

#include <array>

#include "app/params/MainCommands.h"
#include "sim/ParamMemory.h"
#include "support/AppFixture.h"

namespace korvo::test {
namespace {

using namespace ids;

using ScopeMainCommandsTest = ScopeAppTest;

// The fields' rule is unit-tested; here: a replaced value reaches field, parameter set and cursor
// at once, a kept one only field and cursor.
TEST_F(ScopeMainCommandsTest, EvaluationFieldsShowTheirRuleAndMoveTheirCursors) {
    launch();
    app().sensor.model.lastPixel = 4096;
    const int main = mainPanel();
    const auto cursor = [&](int n) { return graphModel(main, MAIN_PROFILE).cursors.at(n).x; };
    ui().userSetInt(main, MAIN_EDGELEFT, 5000);
    ui().userSetInt(main, MAIN_EDGERIGHT, 0);
    EXPECT_EQ(ui().getInt(main, MAIN_EDGELEFT), 4095);
    EXPECT_EQ(app().sensor.params.evalBegin, 4095);
    EXPECT_DOUBLE_EQ(cursor(2), 4095.0);
    EXPECT_EQ(ui().getInt(main, MAIN_EDGERIGHT), 2);
    EXPECT_EQ(app().sensor.params.evalEnd, 2);
    EXPECT_DOUBLE_EQ(cursor(3), 2.0);

    ui().userSetInt(main, MAIN_EDGELEFT, 300);
    EXPECT_EQ(ui().getInt(main, MAIN_EDGELEFT), 300);
    EXPECT_EQ(app().sensor.params.evalBegin, 4095);
    EXPECT_DOUBLE_EQ(cursor(2), 300.0);
}

TEST_F(ScopeMainCommandsTest, MemoryRadiosAndTabTogglesKeepExactlyOneOn) {
    launch();
    const int main = mainPanel();
    // Clicked radio, then the target and the RAM/EEPROM/File radios; a switched off File
    // radio falls back to RAM.
    const std::pair<int, std::vector<int>> radioSteps[] = {{MAIN_RAM, {1, 1, 0, 0}},
                                                           {MAIN_FILE, {3, 0, 0, 1}},
                                                           {MAIN_FILE, {1, 1, 0, 0}},
                                                           {MAIN_EEPROM, {2, 0, 1, 0}}};
    for (const auto& [radio, expected] : radioSteps) {
        ui().click(main, radio);
        EXPECT_EQ((std::vector<int>{app().state.memoryTarget, ui().getInt(main, MAIN_RAM),
                                    ui().getInt(main, MAIN_EEPROM), ui().getInt(main, MAIN_FILE)}),
                  expected);
    }

    const Panels& pn = panels();
    for (int i = 0; i < 2; ++i) {  // the active toggle stays on
        ui().click(main, MAIN_TAB_PARA2);
        EXPECT_TRUE(ui().panelVisible(pn.para2));
        EXPECT_FALSE(ui().panelVisible(pn.para1));
        EXPECT_EQ(ui().getInt(main, MAIN_TAB_PARA1), 0);
        EXPECT_EQ(ui().getInt(main, MAIN_TAB_PARA2), 1);
    }
    ui().click(main, MAIN_TAB_CALIB);
    EXPECT_TRUE(ui().panelVisible(pn.calib));
    EXPECT_FALSE(ui().panelVisible(pn.para2));
    EXPECT_EQ(ui().getInt(main, MAIN_TAB_PARA2), 0);
}

TEST_F(ScopeMainCommandsTest, ConnectPressedAgainWhileThePopupIsOpenChangesNothing) {
    launch();
    const int main = mainPanel();
    ui().click(main, MAIN_CONNECT);
    ASSERT_TRUE(ui().panelVisible(panels().connect));
    EXPECT_TRUE(ui().dimmed(panels().connect, CON_ACCEPT));
    const std::uint16_t saved = app().state.savedPortNumber;

    ui().setInt(panels().connect, CON_PORT, 9);
    ui().click(main, MAIN_CONNECT);
    EXPECT_EQ(ui().getInt(main, MAIN_CONNECT), 1);
    EXPECT_TRUE(ui().panelVisible(panels().connect));
    EXPECT_EQ(app().state.savedPortNumber, saved);
    // The commit of that second click (the press has released the toggle) answers 1.
    ui().setInt(main, MAIN_CONNECT, 0);
    EXPECT_EQ(ui().deliver(main, MAIN_CONNECT, ui::EVENT_COMMIT), 1);
    EXPECT_EQ(ui().getInt(main, MAIN_CONNECT), 1);
}

// The frames of each memory are the exchange's tests'; here: the radio picks the memory, GET fills
// the panels and SEND takes them.
TEST_F(ScopeMainCommandsTest, GetAndSendUseTheMemoryOfTheRadio) {
    launch({sim::SensorConfig{}});
    openPort(1);
    for (const auto [radio, getCode, sendCode, value] :
         {std::array{MAIN_RAM, 2, 1, 321}, std::array{MAIN_EEPROM, 4, 3, 777}}) {
        SCOPED_TRACE(getCode);
        const bool eeprom = radio == MAIN_EEPROM;
        sim::ParamHalf h = eeprom ? sensor(0).eepromHalf(0) : sensor(0).ramHalf(0);
        h[sim::p0::kPower] = value;
        if (eeprom) {
            sensor(0).setEepromHalf(0, h);
        } else {
            sensor(0).setRamHalf(0, h);
        }
        if (ui().getInt(mainPanel(), radio) == 0) ui().click(mainPanel(), radio);
        sensor(0).clearReceivedFrames();

        ui().click(mainPanel(), MAIN_GET);

        std::vector<SeenRequest> seen = requestsOf(sensor(0));
        ASSERT_FALSE(seen.empty());
        EXPECT_EQ(seen.front(), (SeenRequest{0, 0}));  // the dummy frame of the left click
        std::erase_if(seen, [](const SeenRequest& r) { return r.code < 1 || r.code > 4; });
        EXPECT_EQ(seen, (std::vector<SeenRequest>{{getCode, 0}, {getCode, 1}}));
        EXPECT_EQ(ui().getInt(panels().para2, P2_POWER), value);

        ui().setInt(panels().para2, P2_POWER, value + 1);
        sensor(0).clearReceivedFrames();

        ui().click(mainPanel(), MAIN_SEND);

        EXPECT_EQ(requestsOf(sensor(0)), (std::vector<SeenRequest>{{sendCode, 0}, {sendCode, 1}}));
        EXPECT_EQ((eeprom ? sensor(0).eepromHalf(0) : sensor(0).ramHalf(0))[sim::p0::kPower],
                  value + 1);
        EXPECT_EQ(mainStatus(), "Transmission successful - Line Ok!");
    }
    // SEND hands a running loop the next reply; GET stops it.
    app().sensor.link.stopFlag = kStopRunning;
    ui().click(mainPanel(), MAIN_SEND);
    EXPECT_EQ(app().sensor.link.stopFlag, kStopRunning);
    EXPECT_EQ(app().sensor.link.replyKind, kReplyRawData);
    ui().click(mainPanel(), MAIN_GET);
    EXPECT_EQ(app().sensor.link.stopFlag, kStopByUser);
}

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
    send({});
    EXPECT_EQ(mainStatus(), "Parameter saving to file failed!");
    // A folder that does not exist stands for any place that cannot be written.
    ShowMainStatus(app(), "something else");
    send({ui::FileChoice::New, dir.file("no-such-folder/" + kFile)});
    EXPECT_EQ(mainStatus(), "Parameter saving to file failed!");

    ui().setInt(panels().para2, P2_POWER, 345);
    send({ui::FileChoice::New, dir.file(kFile)});
    ASSERT_EQ(popups->shown().size(), 3u);
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

TEST_F(ScopeParamFileTest, LoadTakesTheFileAndTheRangesApply) {
    dir.write(kFile, "[PARA0]\r\nTeach-Value = 700\r\n");
    const ParamSet before = app().sensor.params;
    // Before any sensor is known, and when cancelled, nothing changes.
    get({ui::FileChoice::Existing, dir.file(kFile)});
    EXPECT_EQ(app().sensor.params, before);
    EXPECT_EQ(mainStatus(), "Parameter not read from file!");
    app().sensor.model.hardwareType = 1;
    ShowMainStatus(app(), "something else");
    get({});
    EXPECT_EQ(app().sensor.params, before);
    EXPECT_EQ(mainStatus(), "Parameter not read from file!");

    // How a hand-written file is read is unit-tested; here: what is read goes through the
    // ranges onto the panels.
    dir.write(kFile, "[PARA0]\r\nPower = 1200\r\nTeach-Value = 700\r\nAverage = 1e3\r\n");
    get({ui::FileChoice::Existing, dir.file(kFile)});

    EXPECT_EQ(app().sensor.params.teachValue, 700);
    EXPECT_EQ(ui().getInt(panels().para2, P2_TEACHVAL), 700);
    EXPECT_EQ(app().sensor.params.power, 500);
    EXPECT_EQ(ui().getInt(panels().para2, P2_POWER), 500);
    EXPECT_EQ(mainStatus(), "Parameter read from file!");
    // The key that kept its field is named beside the path.
    const QString detail = ui().ctrl(mainPanel(), MAIN_STATUS)->toolTip();
    EXPECT_TRUE(detail.startsWith(dir.file(kFile))) << detail.toStdString();
    EXPECT_TRUE(detail.contains("line 4, Average = \"1e3\": not a whole number"));
}

}  // namespace
}  // namespace korvo::test
