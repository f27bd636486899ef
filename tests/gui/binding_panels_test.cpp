// The parameter set on the scope window's controls: validation on the way in, conversions on the
// way back, the dependent dimming and the GET exchange that feeds them.

#include <algorithm>

#include "app/PanelBinding.h"
#include "app/ParamExchange.h"
#include "support/GuiFixture.h"
#include "ui/Graph.h"

namespace korvo::test {
namespace {

using namespace ids;
using sim::SensorConfig;

class BindingTest : public FarmAppTest {};

TEST_F(BindingTest, OutOfRangeValuesAreReplacedOnTheControlsAndInMemory) {
    startWith({model(1, 80, 310)});  // 4096 pixels
    ParamSet params;
    params.power = 1200;
    params.evalEnd = 0;
    params.evalBegin = 5000;
    params.videoThdFix = 5;
    params.filterType = 70;
    params.upperTolerance = 0;
    setSensorRam(0, params);

    clickScope(0, 0);

    EXPECT_EQ(ui().getInt(panels().para2, P2_POWER), 500);
    EXPECT_EQ(ui().getInt(panels().main, MAIN_EDGERIGHT), 256);
    EXPECT_EQ(ui().getInt(panels().main, MAIN_EDGELEFT), 1);
    EXPECT_EQ(ui().getInt(panels().para2, P2_VTHD), 10);
    EXPECT_EQ(ui().getInt(panels().para1, P1_TOLUP), 1);
    const ParamSet& held = app().state.params;
    EXPECT_EQ(held.power, 500);
    EXPECT_EQ(held.evalEnd, 256);
    EXPECT_EQ(held.evalBegin, 1);
    EXPECT_EQ(held.videoThdFix, 10);
    EXPECT_EQ(held.filterType, 2);
    EXPECT_EQ(held.upperTolerance, 1);
}

TEST_F(BindingTest, AutomaticThresholdModeReadsTheStoredCurveBack) {
    startWith({model(1, 80, 310)});  // threshold target: EEPROM
    sim::Profile stored{};
    for (int i = 0; i < 256; ++i) stored[i] = static_cast<std::uint16_t>(3 * i + 7);
    sensor(0).setThresholds(2, stored);
    ParamSet params;
    params.videoThdMode = 1;
    params.videoThdAuto = 1000;
    setSensorRam(0, params);

    clickScope(0, 0);

    EXPECT_EQ(ui().getInt(panels().para2, P2_VTHD), 950);
    EXPECT_FALSE(ui().dimmed(panels().para2, P2_SAVETHD));
    const VideoBuffers& video = app().state.video;
    EXPECT_TRUE(std::equal(stored.begin(), stored.end(), video.thresholdArray.begin()));
    EXPECT_EQ(video.autoCurve, video.thresholdArray);
    EXPECT_EQ(app().state.link.blockReadSelector, 0);

    // The block reads asked for the EEPROM curve (selector 2 in word 3).
    int blockReads = 0;
    for (const sim::ReceivedFrame& f : sensor(0).receivedFrames()) {
        if (f.bytes.size() == 36 && f.bytes[3] == 9) {
            ++blockReads;
            EXPECT_EQ(f.bytes[6], 0);
            EXPECT_EQ(f.bytes[7], 2);
        }
    }
    EXPECT_GE(blockReads, 4);

    // The video graph shows the profile in red and the stored curve in green.
    ui::GraphWidget* graph = ui().graph(panels().main, MAIN_VIDEOGRAPH);
    ASSERT_NE(graph, nullptr);
    const ui::GraphModel& m = graph->model();
    ASSERT_EQ(m.plots.size(), 2u);
    EXPECT_EQ(m.plots[0].color, 0xFF0000u);
    EXPECT_EQ(m.plots[1].color, 0x008000u);
    ASSERT_EQ(m.plots[1].y.size(), 256u);
    EXPECT_EQ(m.plots[1].y[10], 37.0);
    EXPECT_EQ(m.plots[1].x[1], app().state.model.videoX[1]);
    EXPECT_FALSE(m.autoRefresh);
    EXPECT_TRUE(ui().visible(panels().main, MAIN_VIDEOGRAPH));
}

TEST_F(BindingTest, PanelsReadBackWithCalibrationConversions) {
    startWith({});
    const Panels& pn = panels();
    ui().setDouble(pn.calib, CAL_SLOPE, 1.5);
    ui().setDouble(pn.calib, CAL_OFFSET, -12.7);
    ui().setInt(pn.para2, P2_VTHDMODE, 1);
    ui().setInt(pn.para2, P2_VTHD, 321);
    ui().setInt(pn.para2, P2_TEACHVAL, 1500);
    const std::uint16_t fixBefore = app().state.params.videoThdFix;

    GetPanelValues(app());

    const ParamSet& p = app().state.params;
    EXPECT_EQ(p.umSlope, 1536u);
    EXPECT_EQ(p.umOffset, 32754u);
    EXPECT_EQ(p.videoThdAuto, 321);
    EXPECT_EQ(p.videoThdFix, fixBefore);
    EXPECT_EQ(p.teachValue, 1500);
    EXPECT_EQ(app().state.band.upperLine[0], 1500 + p.upperTolerance);
}

TEST_F(BindingTest, OffsetBelowMinus32767IsShownNegativeAndReadsBackUnchanged) {
    startWith({});
    const Panels& pn = panels();
    ParamSet& p = app().state.params;
    // An offset field of -40000 wraps round in the unsigned parameter.
    ui().setDouble(pn.calib, CAL_OFFSET, -40000.0);
    GetPanelValues(app());
    const std::uint32_t wrapped = p.umOffset;
    EXPECT_EQ(wrapped, static_cast<std::uint32_t>(32767 - 40000));

    SetPanelValues(app());
    EXPECT_DOUBLE_EQ(ui().getDouble(pn.calib, CAL_OFFSET), -40000.0);
    GetPanelValues(app());
    EXPECT_EQ(p.umOffset, wrapped);
}

TEST_F(BindingTest, DimmButtonsTreatsAnyNonZeroStateAsDimmed) {
    startWith({});
    const Panels& pn = panels();
    auto dimmedSet = [&] {
        std::vector<bool> d;
        for (int c : {MAIN_RUN, MAIN_VIDEO, MAIN_SEND, MAIN_GET, MAIN_RESET})
            d.push_back(ui().dimmed(pn.main, c));
        d.push_back(ui().dimmed(pn.para2, P2_TEACH));
        return d;
    };
    DimmButtons(app(), 7);
    EXPECT_EQ(dimmedSet(), std::vector<bool>(6, true));
    DimmButtons(app(), 0);
    EXPECT_EQ(dimmedSet(), std::vector<bool>(6, false));
}

TEST_F(BindingTest, TwoOutputModelForcesOutputModeWhileInternalTriggerIsOn) {
    startWith({model(104, 21000, 316)});
    ParamSet params;
    params.intTriggerMode = 1;
    params.digitalOutMode = 1;
    params.analogOutMode = 2;
    params.hardwareMode = 3;
    setSensorRam(0, params);

    clickScope(0, 0);

    const Panels& pn = panels();
    EXPECT_EQ(ui().getInt(pn.para1, P1_OUTMODE), 3);
    EXPECT_TRUE(ui().dimmed(pn.para1, P1_OUTMODE));
    EXPECT_FALSE(ui().dimmed(pn.para1, P1_TRGPIX));
    EXPECT_TRUE(ui().visible(pn.main, MAIN_DARKPIX));
    EXPECT_TRUE(ui().visible(pn.main, MAIN_ANAMAX));
    EXPECT_TRUE(ui().dimmed(pn.para1, P1_TOLUP));
    // The forced value reaches the parameter set with the next read of the panels.
    EXPECT_EQ(app().state.params.digitalOutMode, 1);
    GetPanelValues(app());
    EXPECT_EQ(app().state.params.digitalOutMode, 3);

    // The profile graph spans the pixels with the evaluation window's cursors.
    ui::GraphWidget* profile = ui().graph(pn.main, MAIN_PROFILE);
    ASSERT_NE(profile, nullptr);
    EXPECT_EQ(profile->model().xAxis.max, 12288.0);
    EXPECT_EQ(profile->model().cursors.at(3).x, app().state.params.evalEnd);
    const auto& rects = profile->model().rects;
    EXPECT_EQ(std::count_if(rects.begin(), rects.end(),
                            [](const ui::GraphRect& r) { return r.fill == 0xA0A0A0u; }),
              1);
}

TEST_F(BindingTest, FailedSecondHalfKeepsPanelsAndFirstHalfIsTaken) {
    startWith({model(1, 80, 318)});
    clickScope(0, 0);
    const ParamSet before = app().state.params;
    ParamSet changed = before;
    changed.teachValue = 111;
    changed.videoThdFix = 77;
    setSensorRam(0, changed);

    EXPECT_EQ(PushGET(app(), kMemoryRam, 0, 1), 1);
    sensor(0).setFault(sim::Fault::NoReply, 2);
    EXPECT_EQ(PushGET(app(), kMemoryRam, 1, 1), -1);

    EXPECT_EQ(app().state.params.teachValue, 111);
    EXPECT_EQ(app().state.params.videoThdFix, before.videoThdFix);
    EXPECT_EQ(ui().getInt(panels().para2, P2_TEACHVAL), before.teachValue);
    EXPECT_EQ(mainStatus(), QStringLiteral("Timeout-RS-232..."));
}

TEST_F(BindingTest, GetFromFileTargetOnlyRefreshesThePanels) {
    startWith({model(1, 80, 318)});
    ASSERT_EQ(app().sensor.Init232(1, 1), 1);
    app().state.params.teachValue = 321;
    sensor(0).clearReceivedFrames();

    EXPECT_EQ(PushGET(app(), kMemoryFile, 1, 1), 1);

    EXPECT_EQ(ui().getInt(panels().para2, P2_TEACHVAL), 321);
    EXPECT_FALSE(sensor(0).waitForFrames(1, 100));
}

TEST_F(BindingTest, SendUsesEepromCodeAndHalfArgument) {
    startWith({model(1, 80, 318)});
    ASSERT_EQ(app().sensor.Init232(1, 1), 1);
    sensor(0).clearReceivedFrames();
    app().state.params.videoThdFix = 88;

    EXPECT_EQ(PushSEND(app(), kMemoryEeprom, 1, 1), 1);

    const auto frames = sensor(0).receivedFrames();
    ASSERT_EQ(frames.size(), 1u);
    const QByteArray head = frames[0].bytes.left(8);
    EXPECT_EQ(head, QByteArray::fromHex("0055000300010058"));
    EXPECT_EQ(mainStatus(), QStringLiteral("Transmission successful - Line Ok!"));
    EXPECT_EQ(sensor(0).eepromHalf(1)[0], 88);
}

}  // namespace
}  // namespace korvo::test
