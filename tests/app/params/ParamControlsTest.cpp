// The parameter controls of the Para1, Para2 and Calib panels: the couplings between controls,
// the tolerance clamps and the video threshold controls.

#include "app/connect/ConnectSequence.h"
#include "support/AppFixture.h"

namespace korvo::test {
namespace {

using namespace ids;

class ScopeParamControlsTest : public ScopeAppTest {
protected:
    int p1() const { return panels().para1; }
    int p2() const { return panels().para2; }
};

// The fields' rule is unit-tested; here: each field keeps what the rule leaves of a typed value
// and the millimetre displays follow it.
TEST_F(ScopeParamControlsTest, ToleranceFieldsFollowTheirRuleAndShowMillimetres) {
    launch();
    app().state.params.teachValue = 512;
    app().state.model.pixelCount = 1024;
    app().state.params.umSlope = 2048;  // 2 um per pixel
    ui().setDimmed(p1(), P1_TOLUP, false);
    ui().setDimmed(p1(), P1_TOLLOW, false);

    ui().userSetInt(p1(), P1_TOLUP, 600);
    ui().userSetInt(p1(), P1_TOLLOW, 100);
    EXPECT_EQ(ui().getInt(p1(), P1_TOLUP), 511);
    EXPECT_EQ(ui().getInt(p1(), P1_TOLLOW), 100);
    EXPECT_NEAR(ui().getDouble(mainPanel(), MAIN_TOLUP_MM), 1.022, 0.005);
    EXPECT_NEAR(ui().getDouble(mainPanel(), MAIN_TOLLOW_MM), 0.2, 0.005);
    ui().userSetInt(p1(), P1_TOLLOW, 600);
    EXPECT_EQ(ui().getInt(p1(), P1_TOLLOW), 511);
}

TEST_F(ScopeParamControlsTest, InternalTriggerOnATwoOutputModelSelectsOutputMode3) {
    launch({model(4, 20160, 318)});  // a -CL model of hardware type 3
    openPort(1);
    ASSERT_EQ(InitRS232DataExchange(app(), 1), 1) << mainStatus().toStdString();
    ASSERT_EQ(app().state.model.hardwareType, 3);
    showChild(p1());

    for (int on : {1, 0}) {
        ui().userSetInt(p1(), P1_INTRGMODE, on);
        EXPECT_EQ(ui().getInt(p1(), P1_OUTMODE), on ? 3 : 0);
        EXPECT_EQ(ui().dimmed(p1(), P1_TRGPIX), !on);
        for (int c : {MAIN_DARKPIX, MAIN_TRIGCOMP, MAIN_TRIGLED})
            EXPECT_EQ(ui().visible(mainPanel(), c), on == 1) << c;
    }
}

TEST_F(ScopeParamControlsTest, ThresholdModeAndSliderRedrawTheThreshold) {
    launch();
    showChild(p2());
    ParamSet& p = app().state.params;
    p.videoThdFix = 40;
    p.videoThdAuto = 70;
    app().state.model.videoFullScale = 255;

    ui().userSetInt(p2(), P2_VTHDMODE, 1);
    EXPECT_FALSE(ui().dimmed(p2(), P2_SAVETHD));
    EXPECT_EQ(ui().getInt(p2(), P2_VTHD), 70);
    ui().userSetInt(p2(), P2_VTHDMODE, 0);
    EXPECT_TRUE(ui().dimmed(p2(), P2_SAVETHD));
    EXPECT_EQ(ui().getInt(p2(), P2_VTHD), 40);
    EXPECT_EQ(app().state.video.thresholdLine.front(), 102);  // 40 % of 255
    EXPECT_EQ(app().state.video.thresholdLine.back(), 102);

    // AUTO: the curve follows the profile at the slider's percentage.
    for (int i = 0; i < kProfileSamples; ++i)
        app().state.video.video[i] = static_cast<std::uint16_t>(i);
    ui().setInt(p2(), P2_VTHDMODE, 1);
    ui().userSetInt(p2(), P2_VTHD, 50);
    EXPECT_TRUE(ui().visible(mainPanel(), MAIN_VIDEOGRAPH));
    EXPECT_FALSE(ui().visible(mainPanel(), MAIN_ROLLGRAPH));
    EXPECT_EQ(app().state.video.autoCurve[101], 50);
    const ui::GraphModel& g = graphModel(mainPanel(), MAIN_VIDEOGRAPH);
    ASSERT_EQ(g.plots.size(), 3u);
    EXPECT_EQ(g.plots[2].y[101], 50.0);
}

TEST_F(ScopeParamControlsTest, LeftClickOnTheSliderInAutoModeFetchesTheProfile) {
    launch({sim::SensorConfig{}});
    openPort(1);
    showChild(p2());

    ui().setInt(p2(), P2_VTHDMODE, 0);  // FIXED: nothing is fetched
    sensor(0).clearReceivedFrames();
    ui().deliver(p2(), P2_VTHD, ui::EVENT_LEFT_CLICK);
    EXPECT_TRUE(requestsOf(sensor(0)).empty());

    ui().setInt(p2(), P2_VTHDMODE, 1);
    app().state.link.stopFlag = kStopRunning;
    ui().deliver(p2(), P2_VTHD, ui::EVENT_LEFT_CLICK);
    EXPECT_EQ(requestsOf(sensor(0)),
              (std::vector<SeenRequest>{{9, 0}, {9, 64}, {9, 128}, {9, 192}}));
    for (const sim::ReceivedFrame& f : sensor(0).receivedFrames())
        EXPECT_EQ(f.bytes.mid(6, 2), QByteArray(2, '\0'));  // selector 0: the video profile
    const sim::Profile served = sensor(0).lastVideo();
    EXPECT_TRUE(std::equal(served.begin(), served.end(), app().state.video.video.begin()));
    EXPECT_EQ(app().state.link.stopFlag, kStopByUser);
    EXPECT_EQ(app().sensor.CheckComLine(1), 1);  // the receive callback is back
}

}  // namespace
}  // namespace korvo::test
