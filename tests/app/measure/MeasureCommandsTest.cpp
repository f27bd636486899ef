// RUN, STOP and VIDEO wired to the screen: the graphs they show, the commands they dim and
// enable again, what one sample puts on the readouts and graphs, and how a run ends.

#include "support/AppFixture.h"

namespace korvo::test {
namespace {

using namespace ids;

class MeasureCommandsTest : public ScopeAppTest {
protected:
    void SetUp() override {
        launchOpen();
        if (HasFatalFailure()) return;
        sensor(0).setMeasurement(300, 500);
        ParamSet p;
        p.teachValue = 400;
        p.evalMode = 2;
        p.hardwareMode = 0;
        setSensorRam(0, p);
        app().sensor.params = p;
    }
};

TEST_F(MeasureCommandsTest, RunShowsTheRollGraphAndEveryReadoutUntilStop) {
    const int main = mainPanel();
    ui().setInt(main, MAIN_EEPROM, 1);
    app().state.memoryTarget = kMemoryEeprom;
    bool dimmedMeanwhile = false;
    whenRunning(
        [&] {
            dimmedMeanwhile = ui().dimmed(main, MAIN_RUN) && ui().dimmed(main, MAIN_GET) &&
                              !ui().dimmed(main, MAIN_SEND);
            ui().click(main, MAIN_STOP);
        },
        8);
    ui().click(main, MAIN_RUN);

    EXPECT_TRUE(dimmedMeanwhile);
    EXPECT_FALSE(ui().dimmed(main, MAIN_RUN));
    EXPECT_EQ(mainStatus(), "Data-Transfer Stopped!");
    EXPECT_EQ(app().sensor.link.stopFlag, kStopByUser);
    EXPECT_EQ(app().state.memoryTarget, kMemoryRam);
    EXPECT_TRUE(ui().visible(main, MAIN_ROLLGRAPH));
    EXPECT_FALSE(ui().visible(main, MAIN_VIDEOGRAPH));

    EXPECT_EQ(ui().getInt(main, MAIN_LEFTEDGE), 300);
    EXPECT_EQ(ui().getInt(main, MAIN_RIGHTEDGE), 500);
    EXPECT_EQ(ui().getInt(main, MAIN_MVALUE), 400);
    EXPECT_EQ(ui().textColor(main, MAIN_MVALUE), 0x008000u);
    const ui::GraphModel& roll = graphModel(main, MAIN_ROLLGRAPH);
    ASSERT_EQ(roll.strip.values.size(), 600u);
    EXPECT_EQ(roll.strip.values[600 - 3], 400.0);  // the newest measured value
    EXPECT_EQ(roll.strip.traceCount, 6);
    const ui::GraphModel& profile = graphModel(main, MAIN_PROFILE);
    EXPECT_DOUBLE_EQ(profile.cursors.at(1).x, 400.0);
    ASSERT_FALSE(profile.rects.empty());
    EXPECT_DOUBLE_EQ(profile.rects.front().x1, 300.0);  // the shadow between the edges
}

TEST_F(MeasureCommandsTest, ASilentSensorEndsTheRunWithATimeout) {
    // Silent after three records, and from the first request on.
    for (int answered : {3, 0}) {
        SCOPED_TRACE(answered);
        sensor(0).setFault(sim::Fault::NoReply, 8, -1, 0, answered);
        ui().click(mainPanel(), MAIN_RUN);
        EXPECT_EQ(app().sensor.link.stopFlag, kStopRunTimeout);
        EXPECT_EQ(mainStatus(), "Timeout RS232 Line!");
        EXPECT_FALSE(ui().dimmed(mainPanel(), MAIN_VIDEO));
        sensor(0).clearFaults();
    }
}

TEST_F(MeasureCommandsTest, VideoDrawsTheProfileAndRawBinarisesOnlyWhatIsDrawn) {
    const int main = mainPanel();
    ui().setVisible(main, MAIN_RAWTOGGLE, true);  // shown by video mode; switched on before it
    ui().click(main, MAIN_RAWTOGGLE);
    ASSERT_EQ(ui().getInt(main, MAIN_RAWTOGGLE), 1);
    whenRunning([&] { ui().click(main, MAIN_STOP); }, 12);
    ui().click(main, MAIN_VIDEO);
    EXPECT_TRUE(ui().visible(main, MAIN_VIDEOGRAPH));
    EXPECT_FALSE(ui().visible(main, MAIN_ROLLGRAPH));
    const ui::GraphModel& video = graphModel(main, MAIN_VIDEOGRAPH);
    ASSERT_EQ(video.plots.size(), 2u);
    const std::uint16_t full = app().sensor.model.videoFullScale;
    for (double y : video.plots[0].y) EXPECT_TRUE(y == 0 || y == full - 1) << y;
    // The stored profile is the sensor's, not the binarised one.
    EXPECT_EQ(app().sensor.video.video, sensor(0).lastVideo());
    EXPECT_EQ(video.plots[1].color, 0x008000u);
    EXPECT_EQ(mainStatus(), "Data-Transfer Stopped!");
}

}  // namespace
}  // namespace korvo::test
