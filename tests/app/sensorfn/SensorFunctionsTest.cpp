// The Para2 and Calib panels' sensor functions against a virtual sensor: the frames each sends,
// byte for byte where it matters, and what the panels show afterwards.

#include "sim/ParamMemory.h"
#include "support/AppFixture.h"

namespace korvo::test {
namespace {

using namespace ids;

class SensorFunctionsTest : public ScopeAppTest {
protected:
    void SetUp() override {
        launchOpen();
        if (HasFatalFailure()) return;
        sensor(0).setMeasurement(50, 100);
        showChild(panels().para2);
    }
    std::vector<sim::ReceivedFrame> sent(int code) {
        std::vector<sim::ReceivedFrame> out;
        for (const sim::ReceivedFrame& f : sensor(0).receivedFrames())
            if (receivedWord(f, 1) == code) out.push_back(f);
        return out;
    }
};

TEST_F(SensorFunctionsTest, StoringTheThresholdSendsItsTargetAndReadsThatCurveBack) {
    const int p2 = panels().para2;
    ui().setDimmed(p2, P2_SAVETHD, false);
    popups->expectConfirm("ATTENTION!", "Laser-Light measureing section must be uncovered!", false);
    sensor(0).clearReceivedFrames();
    ui().click(p2, P2_SAVETHD);
    EXPECT_TRUE(sensor(0).receivedFrames().empty());

    for (int target : {1, 2}) {
        SCOPED_TRACE(target);
        ui().setInt(p2, P2_TARGET, target);
        ui().setInt(p2, P2_VTHD, 60);
        popups->expectConfirm("ATTENTION!", "Laser-Light measureing section must be uncovered!",
                              true);
        sensor(0).clearReceivedFrames();
        ui().click(p2, P2_SAVETHD);
        const auto store = sent(13);
        ASSERT_EQ(store.size(), 1u);
        EXPECT_EQ(receivedWord(store[0], 2), 60);
        EXPECT_EQ(receivedWord(store[0], 3), target);
        const auto blocks = sent(9);
        ASSERT_EQ(blocks.size(), 4u);
        for (const auto& b : blocks) EXPECT_EQ(receivedWord(b, 3), target);
        EXPECT_EQ(app().sensor.video.thresholdArray, sensor(0).thresholds(target));
        EXPECT_EQ(app().sensor.params.videoThdAuto, 60);
    }
    EXPECT_EQ(app().sensor.link.statusText, "Auto video-threshold saved in EEPROM!");
}

TEST_F(SensorFunctionsTest, TeachSendsThePanelsAndReadsTheSetBackAlsoDuringARun) {
    const int p2 = panels().para2;
    ui().setInt(panels().para1, P1_TOLUP, 77);
    sensor(0).clearReceivedFrames();
    ui().click(p2, P2_TEACH);
    const auto teach = sent(6);
    ASSERT_EQ(teach.size(), 1u);
    EXPECT_EQ(receivedWord(teach[0], 3 + 7), 77);  // para0 from the panels: Upper-Tolerance
    std::vector<int> codes = commands(0);
    EXPECT_EQ(std::vector<int>(codes.begin() + 1, codes.end()), (std::vector<int>{2, 2}));
    EXPECT_EQ(ui().getInt(p2, P2_TEACHVAL), sensor(0).measuredValue());
    EXPECT_EQ(app().state.teachInProgress, 0);

    // During a run the loop goes on at once after the teach and its read-back.
    sensor(0).clearReceivedFrames();
    whenRunning([&] {
        ui().click(p2, P2_TEACH);
        const std::size_t after = commands(0).size();
        whenRunning([&, after] {
            if (commands(0).size() > after + 3) ui().click(mainPanel(), MAIN_STOP);
        });
    });
    QTimer::singleShot(3000, &timers, [&] { app().sensor.link.stopFlag = kStopByUser; });
    ui().click(mainPanel(), MAIN_RUN);
    codes = commands(0);
    const auto six = std::find(codes.begin(), codes.end(), 6);
    ASSERT_NE(six, codes.end());
    EXPECT_GE(std::count(six, codes.end(), 8), 2);
    EXPECT_EQ(mainStatus(), "Data-Transfer Stopped!");
}

TEST_F(SensorFunctionsTest, TwoPointCalibrationSavesTheFittedLineAndDiscardResets) {
    const int calib = panels().calib;
    showChild(calib);
    ui().setInt(calib, CAL_REF1, 1000);
    ui().setInt(calib, CAL_REF2, 4000);
    ui().setDimmed(calib, CAL_STEP1, false);
    ui().setDimmed(calib, CAL_STEP2, false);
    sensor(0).clearReceivedFrames();
    // Object 1 measures 100 (right edge), object 2 300.
    whenRunning([&] { ui().click(calib, CAL_ACCEPT1); });
    ui().click(calib, CAL_STEP1);
    EXPECT_EQ(ui().getInt(panels().para1, P1_EVALMODE), 2);
    // A fit of object 1 alone goes through the origin; accepting object 2 after it leaves that
    // line on show, so saving waits for the next fit.
    ui().click(calib, CAL_FIT);
    EXPECT_DOUBLE_EQ(ui().getDouble(calib, CAL_FITSLOPE), 10.0);
    EXPECT_FALSE(ui().dimmed(calib, CAL_SAVE));
    sensor(0).setMeasurement(50, 300);
    const auto stepOne = sensor(0).receivedFrames();
    sensor(0).clearReceivedFrames();  // step 2 waits for measurements of its own
    whenRunning([&] { ui().click(calib, CAL_ACCEPT2); });
    ui().click(calib, CAL_STEP2);
    EXPECT_TRUE(ui().dimmed(calib, CAL_SAVE));
    ui().click(calib, CAL_FIT);
    EXPECT_DOUBLE_EQ(ui().getDouble(calib, CAL_FITSLOPE), 15.0);
    EXPECT_DOUBLE_EQ(ui().getDouble(calib, CAL_FITOFFSET), -500.0);
    ui().click(calib, CAL_SAVE);

    auto twelve = sent(12);
    for (const auto& f : stepOne)
        if (receivedWord(f, 1) == 12) twelve.insert(twelve.begin(), f);
    ASSERT_EQ(twelve.size(), 3u);
    EXPECT_EQ(receivedWord(twelve[0], 2), 1);
    EXPECT_EQ(receivedWord(twelve[1], 2), 1);
    EXPECT_EQ(receivedWord(twelve[2], 2), 2);
    // um-Slope 15360 and um-Offset 32267, each low word first.
    EXPECT_EQ(std::vector<int>({receivedWord(twelve[2], 3), receivedWord(twelve[2], 4),
                                receivedWord(twelve[2], 5), receivedWord(twelve[2], 6)}),
              (std::vector<int>{15360, 0, 32267, 0}));
    EXPECT_EQ(mainStatus(), "New Calibration values in activated in RAM!");
    EXPECT_DOUBLE_EQ(ui().getDouble(calib, CAL_SLOPE), 15.0);
    EXPECT_EQ(ui().getInt(panels().para1, P1_EVALMODE), app().state.calib.keptEvalMode);
    EXPECT_TRUE(ui().dimmed(calib, CAL_SAVE));
    const std::vector<AuditEntry> rows = auditRows();  // the values the sensor had, and the new
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].operation, QStringLiteral("calibration save"));
    ASSERT_EQ(rows[0].changes.size(), 2u);
    EXPECT_EQ(rows[0].changes[0].after, 15360);
    EXPECT_EQ(rows[0].changes[1].before, ParamSet().umOffset);
    EXPECT_EQ(rows[0].changes[1].after, 32267);

    sensor(0).clearReceivedFrames();
    sensor(0).setFault(sim::Fault::NoReply, 12, 1);
    ui().click(calib, CAL_DISCARD);
    EXPECT_EQ(receivedWord(sent(12).at(0), 2), 0);
    EXPECT_EQ(ui().getDouble(calib, CAL_FITSLOPE), 0.0);
    EXPECT_FALSE(ui().dimmed(calib, CAL_STEP1));
    EXPECT_EQ(ui().getInt(mainPanel(), MAIN_TAB_PARA1), 1);
    EXPECT_EQ(ui().getInt(mainPanel(), MAIN_TAB_CALIB), 0);
}

TEST_F(SensorFunctionsTest, ServiceControlsAndTestSendTheFieldsAsTheyStand) {
    const int calib = panels().calib;
    showChild(calib);
    ui().deliver(calib, CAL_TEXTBOX, ui::EVENT_RIGHT_DOUBLE_CLICK);
    EXPECT_TRUE(ui().visible(calib, CAL_TEST));
    EXPECT_FALSE(ui().dimmed(calib, CAL_SLOPE));
    ui().setInt(panels().para2, P2_TEACHVAL, 600);
    ui().setInt(panels().para1, P1_TOLUP, 50);
    ui().setInt(panels().para1, P1_TOLLOW, 40);
    sensor(0).clearReceivedFrames();
    ui().click(calib, CAL_TEST);
    const auto test = sent(16);
    ASSERT_EQ(test.size(), 1u);
    EXPECT_EQ(std::vector<int>(
                  {receivedWord(test[0], 2), receivedWord(test[0], 3), receivedWord(test[0], 4)}),
              (std::vector<int>{600, 50, 40}));
    EXPECT_EQ(sensor(0).ramHalf(0)[sim::p0::kTeachValue], 600);
    EXPECT_EQ(mainStatus(), "TEST-BUTTON-done-ok!");
    ui().deliver(calib, CAL_TEXTBOX, ui::EVENT_RIGHT_DOUBLE_CLICK);
    EXPECT_FALSE(ui().visible(calib, CAL_TEST));
}

TEST_F(SensorFunctionsTest, FlashWritingIsReportedWrittenOnlyWhenEveryBlockCame) {
    const int calib = panels().calib;
    showChild(calib);
    QByteArray file;
    for (int i = 0; i < 2048; ++i) file += QByteArray::number(i - 1000) + "\r\n";
    dir.write(QStringLiteral("XF-LINEAR.DAT"), file);
    const auto writeFromFile = [&] {
        ui().deliver(calib, CAL_TEXTBOX, ui::EVENT_RIGHT_DOUBLE_CLICK);  // service controls
        popups->expectFile("KORVO-GX-Series-Linearisation-File",
                           {ui::FileChoice::Existing, dir.file("XF-LINEAR.DAT")});
        ui().click(calib, CAL_XFLASH);
        ui().deliver(calib, CAL_TEXTBOX, ui::EVENT_RIGHT_DOUBLE_CLICK);
    };
    writeFromFile();
    EXPECT_EQ(mainStatus(), "X-FLASH Data successfully written!");
    const std::vector<std::uint16_t> image = sensor(0).xflash();
    ASSERT_GE(image.size(), 512u + 2048u);  // pages 0 and 1 come first
    for (int i : {0, 1000, 2047}) EXPECT_EQ(image[512 + i], (i - 1000 + 32767) & 0xFFFF) << i;
    EXPECT_EQ(graphModel(mainPanel(), MAIN_PROFILE).rects.back().fill, 0xA0A0A0u);
    EXPECT_FALSE(ui().visible(calib, CAL_XFLASH));

    // A block without an answer stops the writing and says which.
    sensor(0).setFault(sim::Fault::NoReply, 102, 1, 0, 40);
    writeFromFile();
    EXPECT_TRUE(mainStatus().contains(QStringLiteral("page 3 offset 64")))
        << mainStatus().toStdString();
    EXPECT_EQ(sent(102).size(), 41u + 256u);
    const std::vector<AuditEntry> rows = auditRows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].operation, QStringLiteral("x-flash"));
    EXPECT_TRUE(rows[0].ok);
    EXPECT_FALSE(rows[1].ok);
    EXPECT_TRUE(rows[1].reason.contains(QStringLiteral("page 3 offset 64")));

    // A value no 16-bit word holds: nothing is sent, and the tooltip names its line.
    dir.write(QStringLiteral("XF-LINEAR.DAT"), "70000\r\n" + file);
    sensor(0).clearReceivedFrames();
    writeFromFile();
    EXPECT_EQ(mainStatus(), "X-FLASH file not read!");
    EXPECT_TRUE(
        ui().ctrl(mainPanel(), MAIN_STATUS)->toolTip().contains("line 1: 70000 is outside"));
    EXPECT_TRUE(sent(101).empty());
    EXPECT_EQ(auditRows().size(), 2u);  // nothing was written
}

}  // namespace
}  // namespace korvo::test
