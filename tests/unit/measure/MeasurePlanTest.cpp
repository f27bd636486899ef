// The tolerance limits, the roll-graph step, the run record's readouts and profile-graph marks,
// and the video curve choice, as tables of inputs and what the window must draw.

#include <gtest/gtest.h>

#include "core/measure/BarGraphPlan.h"
#include "core/measure/RollGraphPlan.h"
#include "core/measure/ToleranceLimits.h"
#include "core/measure/VideoCurvePlan.h"

namespace korvo {
namespace {

struct ToleranceCase {
    const char* name;
    std::uint16_t hardwareMode, teach, upperTol, lowerTol, sensorTol, value;
    int upper, lower;
    bool within;
    int ymin, ymax;  // the roll graph's zoom range around the limits
};

TEST(ToleranceLimits, ByHardwareModeAValueOnALimitIsWithinTheRollGraphZoomsAroundThem) {
    // clang-format off
    const ToleranceCase cases[] = {
        {"on the upper limit", 0, 512, 30, 100, 0, 542, 542, 412, true, 312, 552},
        {"one above it", 2, 512, 30, 100, 0, 543, 542, 412, false, 312, 552},
        {"on the lower limit", 0, 512, 100, 20, 0, 492, 612, 492, true, 472, 712},
        {"one below it", 2, 512, 100, 20, 0, 491, 612, 492, false, 472, 712},
        {"below a narrow lower side", 0, 512, 100, 20, 0, 400, 612, 492, false, 340, 712},
        {"below sides of exactly 40", 0, 512, 40, 40, 0, 300, 552, 472, false, 200, 592},
        {"above sides of exactly 40", 0, 512, 40, 40, 0, 700, 552, 472, false, 432, 800},
        {"the sensor's, on its limit", 1, 512, 5, 5, 50, 562, 562, 462, true, 412, 612},
        {"the sensor's, below", 1, 512, 5, 5, 50, 300, 562, 462, false, 200, 612},
        {"the sensor's, narrow", 3, 512, 5, 5, 10, 600, 522, 502, false, 472, 660},
        {"held within the pixels", 0, 4090, 100, 4095, 0, 4095, 4095, 1, true, 1, 4095},
        {"kept in 16 bits: the sum wraps", 1, 4000, 5, 5, 30000, 4000, -31536, 1, false, 1, 4095},
    };
    // clang-format on
    for (const ToleranceCase& c : cases) {
        SCOPED_TRACE(c.name);
        const ParamSet p{.teachValue = c.teach,
                         .upperTolerance = c.upperTol,
                         .lowerTolerance = c.lowerTol,
                         .hardwareMode = c.hardwareMode};
        const ToleranceLimits l = toleranceLimits(p, c.sensorTol, 4096);
        EXPECT_EQ(l.upper, c.upper);
        EXPECT_EQ(l.lower, c.lower);
        EXPECT_EQ(withinTolerance(l, c.value), c.within);
        const RunRecord r{.measuredValue = c.value, .hardwareTolerance = c.sensorTol};
        const RollStep s = planRollStep(r, p, 4096);
        EXPECT_EQ(s.sample.upper, c.upper);
        EXPECT_EQ(s.sample.lower, c.lower);
        EXPECT_EQ(s.outside, !c.within);
        EXPECT_EQ(s.upperTolMm, pixelsToMm(l.upperTol, p.umSlope));  // the rule's millimetres
        EXPECT_EQ(s.lowerTolMm, pixelsToMm(l.lowerTol, p.umSlope));
        EXPECT_EQ(s.ymin, c.ymin);
        EXPECT_EQ(s.ymax, c.ymax);
        EXPECT_EQ(s.sample.teach, c.teach);
        EXPECT_EQ(s.sample.value, c.value);
    }
    // Multiplied first, 9 pixels at 1 um are 0.009 mm; dividing first gives 0.009000000000000001.
    const struct {
        int pixels;
        std::uint32_t umSlope;
        double mm;
    } mm[] = {{9, 1024, 0.009}, {30, 2048, 0.06}, {65535, 4294967295u, 274873712.5760009765625}};
    for (const auto& c : mm) EXPECT_EQ(pixelsToMm(c.pixels, c.umSlope), c.mm) << c.pixels;
}

TEST(RollGraphPlan, MarkersFollowTheAnalogOutputModeTheBufferRollsTheNewestSampleIn) {
    RunRecord r{.measuredValue = 500, .maximumValue = 700};
    const struct {
        std::uint16_t mode, minimum;
        double a, b;
    } cases[] = {{0, 300, 500, 500}, {1, 300, 500, 700}, {2, 300, 300, 500},
                 {2, 4095, 1, 500},  // a minimum at the last pixel: nothing held yet
                 {3, 300, 300, 700}, {5, 300, 4095, 1}};
    for (const auto& c : cases) {
        r.minimumValue = c.minimum;
        const RollStep s = planRollStep(r, ParamSet{.analogOutMode = c.mode}, 4096);
        EXPECT_EQ(s.sample.markerA, c.a) << "mode " << c.mode << " minimum " << c.minimum;
        EXPECT_EQ(s.sample.markerB, c.b) << "mode " << c.mode << " minimum " << c.minimum;
    }

    // The buffer rolls the newest sample in at the end.
    RollBuffer b;
    for (int i = 1; i <= 101; ++i) b.push({double(i), 0, 0, double(-i), 0, 0});
    const auto& v = b.values();
    EXPECT_EQ(v[0], 2);  // the oldest of the last hundred
    EXPECT_EQ(v[v.size() - 6], 101);
    EXPECT_EQ(v[v.size() - 3], -101);
    EXPECT_EQ(rollYRange(RollStep{{}, 10, 20}, false, 4096)[1], 4096.0);
    EXPECT_EQ(rollYRange(RollStep{{}, 10, 20}, true, 4096)[0], 10.0);
}

struct BarCase {
    const char* name;
    std::uint16_t evalMode, edges, left, right, extA, extB, teach, up, low, value;
    double cursor;
    std::vector<PlotBand> edgeBands, windows;
    bool outside;
};

TEST(BarGraphPlan, CursorEdgesAndToleranceWindows) {
    // clang-format off
    const BarCase cases[] = {
        {"centre mode, two edges", 2, 2, 300, 500, 0, 0, 200, 20, 20, 400, 400,
         {{300, 500}}, {{290, 310}, {490, 510}}, true},
        {"centre mode, no edges", 2, 0, 0, 0, 0, 0, 200, 20, 20, 400, 1, {}, {}, true},
        {"one edge, shadow to the right", 0, 1, 300, 0, 1, 2, 512, 100, 100, 300, 300,
         {{300, 1024}}, {{412, 612}}, true},
        {"one edge, shadow to the left", 1, 1, 300, 0, 2, 1, 512, 100, 100, 520, 1,
         {{1, 300}}, {{412, 612}}, false},
        {"window from pixel 0 stays there", 0, 2, 60, 80, 0, 0, 50, 100, 50, 60, 60,
         {{60, 80}}, {{0, 150}}, false},
        {"window capped at the pixel count", 1, 2, 100, 4000, 0, 0, 4000, 200, 10, 4000, 1024,
         {{100, 4000}}, {{3990, 4096}}, false},
        {"window up to the last pixel", 1, 2, 100, 4000, 0, 0, 4000, 95, 10, 4000, 1024,
         {{100, 4000}}, {{3990, 4095}}, false},
        {"centre window raised to 1", 2, 2, 10, 30, 0, 0, 100, 40, 40, 20, 20,
         {{10, 30}}, {{1, -10}, {50, 90}}, true},
    };
    // clang-format on
    for (const BarCase& c : cases) {
        SCOPED_TRACE(c.name);
        const ParamSet p{.evalMode = c.evalMode,
                         .teachValue = c.teach,
                         .upperTolerance = c.up,
                         .lowerTolerance = c.low,
                         .hardwareMode = 0};
        const RunRecord r{.leftEdge = c.left,
                          .rightEdge = c.right,
                          .measuredValue = c.value,
                          .edgeCount = c.edges,
                          .edgeExtentA = c.extA,
                          .edgeExtentB = c.extB};
        const BarGraphPlan g = planBarGraph(r, p, ModelState{});
        EXPECT_EQ(g.edgeCursor, c.cursor);
        EXPECT_EQ(g.edgeBands, c.edgeBands);
        EXPECT_EQ(g.windowBands, c.windows);
        EXPECT_EQ(g.outside, c.outside);
    }
}

TEST(BarGraphPlan, ReadoutsAndIndicators) {
    RunRecord r{.measuredValue = 500,
                .measuredUm = 123456,
                .hardwareTolerance = 64,
                .maximumValue = 700,
                .minimumValue = 300,
                .darkPixelCount = 40};
    ParamSet p{.hardwareMode = 1};
    // Analog-Out-Mode i and output state i side by side.
    const struct {
        int analog;
        bool out1, out2;
    } byMode[] = {{500, 0, 0}, {700, 1, 0}, {300, 0, 1}, {400, 1, 1}, {500, 0, 0}};
    for (std::uint16_t i = 0; i < 5; ++i) {
        p.analogOutMode = r.outputState = i;
        const BarGraphPlan g = planBarGraph(r, p, ModelState{});
        EXPECT_EQ(g.analog, byMode[i].analog) << i;
        EXPECT_EQ(g.output1, byMode[i].out1) << i;
        EXPECT_EQ(g.output2, byMode[i].out2) << i;
    }
    BarGraphPlan g = planBarGraph(r, p, ModelState{});
    EXPECT_FALSE(g.triggered.has_value());
    EXPECT_DOUBLE_EQ(g.measuredMm, 123.456);
    EXPECT_DOUBLE_EQ(g.upperTolMm, 0.064);  // the sensor's tolerance in mode 1
    p.intTriggerMode = 1;
    p.triggerPixel = 40;
    EXPECT_EQ(planBarGraph(r, p, ModelState{}).triggered, false);
    r.darkPixelCount = 41;
    EXPECT_EQ(planBarGraph(r, p, ModelState{}).triggered, true);
}

TEST(VideoCurvePlan, RawBinarisesACopyAgainstTheModesThreshold) {
    VideoBuffers v;
    v.video.fill(100);
    v.video[3] = 200;
    v.thresholdLine.fill(150);
    v.thresholdArray.fill(50);
    const ProfileArray fixed = binarised(v.video, rawThreshold(v, 0), 256);
    EXPECT_EQ(fixed[3], 255);
    EXPECT_EQ(fixed[4], 0);
    EXPECT_EQ(binarised(v.video, rawThreshold(v, 1), 256)[4], 255);
    EXPECT_EQ(v.video[4], 100);
    EXPECT_EQ(curveToDraw(0, true), ThresholdCurve::Line);
    EXPECT_EQ(curveToDraw(1, true), ThresholdCurve::AutoCurve);
    EXPECT_EQ(curveToDraw(1, false), ThresholdCurve::Array);
}

}  // namespace
}  // namespace korvo
