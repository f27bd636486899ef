// The parameter controls of the Para1, Para2 and Calib panels: help boxes, the couplings between
// controls, the tolerance clamps and the video threshold controls.

#include "app/ConnectSequence.h"
#include "support/ScopeFixture.h"
#include "ui/Events.h"

namespace korvo::test {
namespace {

using namespace ids;

class ScopeParamControlsTest : public ScopeWindowTest {
protected:
    int p1() const { return panels().para1; }
    int p2() const { return panels().para2; }
    // Where a help box goes for a control of a child panel: dx right of the control, dy above.
    QPoint besides(int panel, int ctrl, int dx, int dy) {
        const QRect p = ui().panelGeometry(panel);
        const QRect c = ui().boundingRect(panel, ctrl);
        return {p.left() + c.left() + c.width() + dx, p.top() + c.top() - dy};
    }
};

TEST_F(ScopeParamControlsTest, HelpToggleGoesByVisibilityAndAverageUsesTheLargeBox) {
    launch();
    const int main = mainPanel();
    ui().rightClick(p1(), P1_EVALMODE);
    ASSERT_TRUE(ui().visible(main, MAIN_HELP));
    EXPECT_EQ(ui().boundingRect(main, MAIN_HELP).topLeft(),
              helpBoxAt(main, MAIN_HELP, besides(p1(), P1_EVALMODE, 20, 10)));
    EXPECT_EQ(ui().textBoxLines(main, MAIN_HELP).first(), QStringLiteral("EVALUATION-MODE:"));

    ui().rightClick(p1(), P1_POLARITY);  // another control hides the visible box
    EXPECT_FALSE(ui().visible(main, MAIN_HELP));

    ui().rightClick(p1(), P1_AVERAGE);
    EXPECT_FALSE(ui().visible(main, MAIN_HELP));
    ASSERT_TRUE(ui().visible(main, MAIN_HELPLARGE));
    EXPECT_EQ(ui().boundingRect(main, MAIN_HELPLARGE).topLeft(),
              helpBoxAt(main, MAIN_HELPLARGE, besides(p1(), P1_AVERAGE, 20, 10)));
    EXPECT_EQ(ui().textBoxLines(main, MAIN_HELPLARGE).first(), QStringLiteral("AVERAGE:"));

    // The teach button's box is placed from its left edge, without its width.
    showChild(p2());
    ui().rightClick(p2(), P2_TEACH);
    const QRect panel = ui().panelGeometry(p2());
    const QRect teach = ui().boundingRect(p2(), P2_TEACH);
    EXPECT_EQ(ui().boundingRect(main, MAIN_HELP).topLeft(),
              QPoint(panel.left() + teach.left() + 100, panel.top() + teach.top() - 10));
    ui().rightClick(p2(), P2_POWER);
    ui().rightClick(p2(), P2_POWER);
    EXPECT_EQ(ui().boundingRect(main, MAIN_HELP).topLeft(),
              helpBoxAt(main, MAIN_HELP, besides(p2(), P2_POWER, 160, 10)));
}

TEST_F(ScopeParamControlsTest, LowerToleranceHelpFollowsTheFirmwareVersion) {
    launch();
    const int main = mainPanel();
    ui().setDimmed(p1(), P1_TOLLOW, false);
    app().state.model.firmwareVersion = 302;
    ui().rightClick(p1(), P1_TOLLOW);
    EXPECT_EQ(ui().textBoxLines(main, MAIN_HELP).first(), QStringLiteral("TOLERANCE-VALUE:"));
    ui().rightClick(p1(), P1_TOLLOW);

    app().state.model.firmwareVersion = 310;
    ui().rightClick(p1(), P1_TOLLOW);
    EXPECT_EQ(ui().textBoxLines(main, MAIN_HELP).first(), QStringLiteral("TOLERANCE-LOW:"));
}

TEST_F(ScopeParamControlsTest, TolerancesAreClampedAroundTheTeachValue) {
    launch();
    app().state.params.teachValue = 512;
    app().state.model.pixelCount = 1024;
    app().state.params.umSlope = 2048;
    ui().setDimmed(p1(), P1_TOLUP, false);
    ui().setDimmed(p1(), P1_TOLLOW, false);

    ui().userSetInt(p1(), P1_TOLUP, 600);
    EXPECT_EQ(ui().getInt(p1(), P1_TOLUP), 511);
    ui().userSetInt(p1(), P1_TOLLOW, 600);
    EXPECT_EQ(ui().getInt(p1(), P1_TOLLOW), 511);
    // The displays read millimetres with two decimals.
    EXPECT_NEAR(ui().getDouble(mainPanel(), MAIN_TOLUP_MM), 2048.0 * 511 / 1024000.0, 0.005);
    EXPECT_NEAR(ui().getDouble(mainPanel(), MAIN_TOLLOW_MM), 2048.0 * 511 / 1024000.0, 0.005);

    ui().userSetInt(p1(), P1_TOLUP, 100);  // inside the band: kept
    EXPECT_EQ(ui().getInt(p1(), P1_TOLUP), 100);
    EXPECT_NEAR(ui().getDouble(mainPanel(), MAIN_TOLUP_MM), 2048.0 * 100 / 1024000.0, 0.005);

    // A teach value at the very start or end of the line leaves no room, never a wrapped value.
    app().state.params.teachValue = 0;
    ui().userSetInt(p1(), P1_TOLLOW, 5);
    EXPECT_EQ(ui().getInt(p1(), P1_TOLLOW), 0);
    app().state.params.teachValue = 1024;
    ui().userSetInt(p1(), P1_TOLUP, 5);
    EXPECT_EQ(ui().getInt(p1(), P1_TOLUP), 0);
}

TEST_F(ScopeParamControlsTest, HardwareModeAndAnalogModeSwitchTheirDependants) {
    launch();
    showChild(p2());
    ui().userSetInt(p2(), P2_HWMODE, 0);
    EXPECT_FALSE(ui().dimmed(p1(), P1_TOLUP));
    EXPECT_FALSE(ui().dimmed(p1(), P1_TOLLOW));
    ui().userSetInt(p2(), P2_HWMODE, 3);
    EXPECT_TRUE(ui().dimmed(p1(), P1_TOLUP));
    EXPECT_TRUE(ui().dimmed(p1(), P1_TOLLOW));

    showChild(p1());
    ui().userSetInt(p1(), P1_ANAMODE, 2);
    for (int c : {MAIN_ANAVALUE, MAIN_ANAMAX, MAIN_ANAMIN, MAIN_RESET, MAIN_ANACOMP})
        EXPECT_TRUE(ui().visible(mainPanel(), c)) << c;
    ui().userSetInt(p1(), P1_ANAMODE, 0);
    for (int c : {MAIN_ANAVALUE, MAIN_ANAMAX, MAIN_ANAMIN, MAIN_RESET, MAIN_ANACOMP})
        EXPECT_FALSE(ui().visible(mainPanel(), c)) << c;
}

TEST_F(ScopeParamControlsTest, InternalTriggerOnATwoOutputModelSelectsOutputMode3) {
    launch({model(4, 20160, 318)});  // a -CL model of hardware type 3
    openPort(1);
    ASSERT_EQ(InitRS232DataExchange(app(), 1), 1) << mainStatus().toStdString();
    ASSERT_EQ(app().state.model.hardwareType, 3);
    showChild(p1());

    ui().userSetInt(p1(), P1_INTRGMODE, 1);
    EXPECT_EQ(ui().getInt(p1(), P1_OUTMODE), 3);
    EXPECT_FALSE(ui().dimmed(p1(), P1_TRGPIX));
    for (int c : {MAIN_DARKPIX, MAIN_TRIGCOMP, MAIN_TRIGLED})
        EXPECT_TRUE(ui().visible(mainPanel(), c)) << c;

    ui().userSetInt(p1(), P1_INTRGMODE, 0);
    EXPECT_EQ(ui().getInt(p1(), P1_OUTMODE), 0);
    EXPECT_TRUE(ui().dimmed(p1(), P1_TRGPIX));
    for (int c : {MAIN_DARKPIX, MAIN_TRIGCOMP, MAIN_TRIGLED})
        EXPECT_FALSE(ui().visible(mainPanel(), c)) << c;
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
    EXPECT_EQ(app().state.video.thresholdLine.front(), 255 * 40 / 100);
    EXPECT_EQ(app().state.video.thresholdLine.back(), 255 * 40 / 100);

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
    // The stored curve and the new automatic curve are both green; the new one is set apart by
    // its line style.
    EXPECT_EQ(g.plots[1].color, g.plots[2].color);
    EXPECT_NE(g.plots[1].style, g.plots[2].style);
    EXPECT_EQ(g.plots[0].x[1], app().state.model.videoX[1]);
}

TEST_F(ScopeParamControlsTest, CcdSwitchCouplesTheThresholdOnlyForNewFamilies) {
    launch();
    showChild(panels().calib);
    const int calib = panels().calib;
    ui().setInt(p2(), P2_VTHDMODE, 1);
    ui().setDimmed(p2(), P2_SAVETHD, false);

    app().state.model.familyCode = 6;
    ui().click(calib, CAL_CCDMODE);
    EXPECT_EQ(ui().getInt(calib, CAL_CCDMODE), 1);
    EXPECT_EQ(ui().getInt(p2(), P2_VTHDMODE), 1);
    EXPECT_FALSE(ui().dimmed(p2(), P2_SAVETHD));
    ui().click(calib, CAL_CCDMODE);

    app().state.model.familyCode = 101;
    app().state.params.videoThdMode = 1;
    app().state.params.videoThdFix = 33;
    app().state.params.videoThdAuto = 80;
    ui().click(calib, CAL_CCDMODE);
    EXPECT_EQ(ui().getInt(p2(), P2_VTHDMODE), 0);
    EXPECT_EQ(ui().getInt(p2(), P2_VTHD), 33);
    for (int c : {P2_SAVETHD, P2_FILTER, P2_VTHDMODE}) EXPECT_TRUE(ui().dimmed(p2(), c)) << c;

    ui().click(calib, CAL_CCDMODE);
    EXPECT_EQ(ui().getInt(p2(), P2_VTHDMODE), 1);
    EXPECT_EQ(ui().getInt(p2(), P2_VTHD), 80);
    for (int c : {P2_SAVETHD, P2_FILTER, P2_VTHDMODE}) EXPECT_FALSE(ui().dimmed(p2(), c)) << c;
}

TEST_F(ScopeParamControlsTest, LeftClickOnTheSliderInAutoModeFetchesTheProfile) {
    launch({sim::SensorConfig{}});
    openPort(1);
    showChild(p2());
    sim::VirtualSensor& sensor = farm.sensor(0);

    ui().setInt(p2(), P2_VTHDMODE, 0);  // FIXED: nothing is fetched
    sensor.clearReceivedFrames();
    ui().deliver(p2(), P2_VTHD, ui::EVENT_LEFT_CLICK);
    EXPECT_TRUE(requestsOf(sensor).empty());

    ui().setInt(p2(), P2_VTHDMODE, 1);
    app().state.link.stopFlag = kStopRunning;
    ui().deliver(p2(), P2_VTHD, ui::EVENT_LEFT_CLICK);
    EXPECT_EQ(requestsOf(sensor), (std::vector<SeenRequest>{{9, 0}, {9, 64}, {9, 128}, {9, 192}}));
    for (const sim::ReceivedFrame& f : sensor.receivedFrames())
        EXPECT_EQ(f.bytes.mid(6, 2), QByteArray(2, '\0'));  // selector 0: the video profile
    const sim::Profile served = sensor.lastVideo();
    EXPECT_TRUE(std::equal(served.begin(), served.end(), app().state.video.video.begin()));
    EXPECT_EQ(app().state.link.stopFlag, kStopByUser);
    // The receive callback is back: an ordinary exchange works.
    EXPECT_EQ(app().sensor.CheckComLine(1), 1);
}

}  // namespace
}  // namespace korvo::test
