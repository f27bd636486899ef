// The parameter set on the scope window's controls (ranges on the way in, conversions on the way
// back, the GET that feeds them) and the controls of Para1, Para2 and Calib: their couplings, the
// tolerance clamps and the video threshold controls.

#include "app/connect/ConnectSequence.h"
#include "app/params/PanelBinding.h"
#include "app/params/ParamExchange.h"
#include "support/AppFixture.h"

namespace korvo::test {
namespace {

using namespace ids;

using BindingTest = ScopeAppTest;

// The ranges are unit-tested field by field; here: the refresh after a GET applies them to the
// controls and to the set in memory.
TEST_F(BindingTest, AGetInAutomaticThresholdModeAppliesTheRangesAndReadsTheStoredCurveBack) {
    startWith({model(1, 80, 310)});  // threshold target: EEPROM
    sim::Profile stored{};
    for (int i = 0; i < 256; ++i) stored[i] = static_cast<std::uint16_t>(3 * i + 7);
    sensor(0).setThresholds(2, stored);
    ParamSet params;
    params.videoThdMode = 1;
    params.videoThdAuto = 1000;
    params.power = 1200;
    setSensorRam(0, params);

    clickScope(0, 0);

    EXPECT_EQ(ui().getInt(panels().para2, P2_VTHD), 950);
    EXPECT_EQ(ui().getInt(panels().para2, P2_POWER), 500);
    EXPECT_EQ(app().sensor.params.power, 500);
    EXPECT_FALSE(ui().dimmed(panels().para2, P2_SAVETHD));
    const VideoBuffers& video = app().sensor.video;
    EXPECT_TRUE(std::equal(stored.begin(), stored.end(), video.thresholdArray.begin()));
    EXPECT_EQ(video.autoCurve, video.thresholdArray);  // only the EEPROM holds that curve
    // The video graph shows the profile in red and the stored curve in green.
    const ui::GraphModel& m = graphModel(panels().main, MAIN_VIDEOGRAPH);
    ASSERT_EQ(m.plots.size(), 2u);
    EXPECT_EQ(m.plots[0].color, 0xFF0000u);
    EXPECT_EQ(m.plots[1].color, 0x008000u);
    EXPECT_EQ(m.plots[1].y.at(10), 37.0);
}

// The conversions are unit-tested; here: an offset below -32767 wraps round in the unsigned
// parameter and comes back to the field unchanged, and the read moves the tolerance band.
TEST_F(BindingTest, AWrappedCalibrationOffsetComesBackUnchanged) {
    ASSERT_EQ(start(), 0);
    ui().setDouble(panels().calib, CAL_OFFSET, -40000.0);
    ui().setInt(panels().para2, P2_TEACHVAL, 1500);
    GetPanelValues(app());
    EXPECT_EQ(app().sensor.params.umOffset, static_cast<std::uint32_t>(32767 - 40000));
    EXPECT_EQ(app().sensor.band.upperLine[0], 1500 + app().sensor.params.upperTolerance);
    SetPanelValues(app());
    EXPECT_DOUBLE_EQ(ui().getDouble(panels().calib, CAL_OFFSET), -40000.0);
}

// Every field a control shows goes out to that control and comes back from it. Each field of the
// set sent has a value of its own, none of them a default; the set read back into starts from the
// defaults, so a control filled from or read into the wrong field leaves a wrong value or a
// default behind. Once per threshold mode: the slider carries the fixed threshold in one and the
// automatic threshold in the other.
class PanelRoundTripTest : public ScopeAppTest, public ::testing::WithParamInterface<int> {};

TEST_P(PanelRoundTripTest, EveryShownFieldComesBackFromItsOwnControl) {
    ASSERT_EQ(start(), 0);
    // um-Slope 2944 is 2.875, exact in the field's three decimals; um-Offset 33000 is 233.
    // clang-format off
    const ParamSet sent{.power = 731, .powerMode = 0, .polarity = 0, .evalMode = 3,
        .evalBegin = 17, .evalEnd = 901, .teachValue = 433, .upperTolerance = 29,
        .lowerTolerance = 37, .average = 64, .extTriggerMode = 5, .analogOutMode = 6,
        .ccdOperationMode = 1, .hardwareMode = 2,
        .videoThdMode = static_cast<std::uint16_t>(GetParam()), .videoThdFix = 123,
        .videoThdAuto = 456, .rs232Mode = 3, .rs232Baudrate = 4, .filterType = 16,
        .analogZoomMode = 2, .intTriggerMode = 1, .triggerPixel = 11, .digitalOutMode = 3,
        .para10 = 7, .para11 = 8, .umSlope = 2944, .umOffset = 33000};
    // clang-format on
    app().sensor.params = sent;
    SetPanelValues(app());

    // What no control shows stays in memory: the power mode, the spare words and the threshold
    // of the other mode.
    ParamSet blank{.powerMode = sent.powerMode, .para10 = sent.para10, .para11 = sent.para11};
    if (GetParam() == 0) {
        blank.videoThdAuto = sent.videoThdAuto;
    } else {
        blank.videoThdFix = sent.videoThdFix;
    }
    app().sensor.params = blank;
    GetPanelValues(app());

    EXPECT_EQ(app().sensor.params, sent);
}

INSTANTIATE_TEST_SUITE_P(ThresholdModes, PanelRoundTripTest, ::testing::Values(0, 1));

TEST_F(BindingTest, FailedSecondHalfKeepsPanelsAndFirstHalfIsTaken) {
    startWith({model(1, 80, 318)});
    clickScope(0, 0);
    const ParamSet before = app().sensor.params;
    ParamSet changed = before;
    changed.teachValue = 111;
    changed.videoThdFix = 77;
    setSensorRam(0, changed);

    EXPECT_EQ(PushGET(app(), kMemoryRam, 0, 1), 1);
    sensor(0).setFault(sim::Fault::NoReply, 2);
    EXPECT_EQ(PushGET(app(), kMemoryRam, 1, 1), -1);

    EXPECT_EQ(app().sensor.params.teachValue, 111);
    EXPECT_EQ(app().sensor.params.videoThdFix, before.videoThdFix);
    EXPECT_EQ(ui().getInt(panels().para2, P2_TEACHVAL), before.teachValue);
    EXPECT_EQ(mainStatus(), "Timeout-RS-232...");
}

class ScopeParamControlsTest : public ScopeAppTest {
protected:
    int p1() const { return panels().para1; }
    int p2() const { return panels().para2; }
};

// The fields' rule is unit-tested; here: each field keeps what the rule leaves of a typed value
// and the millimetre displays follow it.
TEST_F(ScopeParamControlsTest, ToleranceFieldsFollowTheirRuleAndShowMillimetres) {
    launch();
    app().sensor.params.teachValue = 300;
    app().sensor.model.pixelCount = 1024;
    app().sensor.params.umSlope = 2048;  // 2 um per pixel
    ui().setDimmed(p1(), P1_TOLUP, false);
    ui().setDimmed(p1(), P1_TOLLOW, false);

    // Room above the teach value: 723 pixels, below it: 299.
    ui().userSetInt(p1(), P1_TOLUP, 800);
    ui().userSetInt(p1(), P1_TOLLOW, 600);
    EXPECT_EQ(ui().getInt(p1(), P1_TOLUP), 723);
    EXPECT_EQ(ui().getInt(p1(), P1_TOLLOW), 299);
    EXPECT_NEAR(ui().getDouble(mainPanel(), MAIN_TOLUP_MM), 1.446, 0.005);
    EXPECT_NEAR(ui().getDouble(mainPanel(), MAIN_TOLLOW_MM), 0.598, 0.005);
}

TEST_F(ScopeParamControlsTest, InternalTriggerOnATwoOutputModelSelectsOutputMode3) {
    launch({model(4, 20160, 318)});  // a -CL model of hardware type 3
    openPort(1);
    ASSERT_EQ(InitRS232DataExchange(app(), 1), 1) << mainStatus().toStdString();
    ASSERT_EQ(app().sensor.model.hardwareType, 3);
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
    ParamSet& p = app().sensor.params;
    p.videoThdFix = 40;
    p.videoThdAuto = 70;
    app().sensor.model.videoFullScale = 255;

    ui().userSetInt(p2(), P2_VTHDMODE, 1);
    EXPECT_FALSE(ui().dimmed(p2(), P2_SAVETHD));
    EXPECT_EQ(ui().getInt(p2(), P2_VTHD), 70);
    ui().userSetInt(p2(), P2_VTHDMODE, 0);
    EXPECT_TRUE(ui().dimmed(p2(), P2_SAVETHD));
    EXPECT_EQ(ui().getInt(p2(), P2_VTHD), 40);
    EXPECT_EQ(app().sensor.video.thresholdLine.front(), 102);  // 40 % of 255
    EXPECT_EQ(app().sensor.video.thresholdLine.back(), 102);

    // AUTO: the curve follows the profile at the slider's percentage.
    for (int i = 0; i < kProfileSamples; ++i)
        app().sensor.video.video[i] = static_cast<std::uint16_t>(i);
    ui().setInt(p2(), P2_VTHDMODE, 1);
    ui().userSetInt(p2(), P2_VTHD, 50);
    EXPECT_TRUE(ui().visible(mainPanel(), MAIN_VIDEOGRAPH));
    EXPECT_FALSE(ui().visible(mainPanel(), MAIN_ROLLGRAPH));
    EXPECT_EQ(app().sensor.video.autoCurve[101], 50);
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
    app().sensor.link.stopFlag = kStopRunning;
    ui().deliver(p2(), P2_VTHD, ui::EVENT_LEFT_CLICK);
    EXPECT_EQ(requestsOf(sensor(0)),
              (std::vector<SeenRequest>{{9, 0}, {9, 64}, {9, 128}, {9, 192}}));
    for (const sim::ReceivedFrame& f : sensor(0).receivedFrames())
        EXPECT_EQ(f.bytes.mid(6, 2), QByteArray(2, '\0'));  // selector 0: the video profile
    const sim::Profile served = sensor(0).lastVideo();
    EXPECT_TRUE(std::equal(served.begin(), served.end(), app().sensor.video.video.begin()));
    EXPECT_EQ(app().sensor.link.stopFlag, kStopByUser);
    EXPECT_EQ(app().sensor.CheckComLine(1), 1);  // the receive callback is back
}

}  // namespace
}  // namespace korvo::test
