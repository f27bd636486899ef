// Packing the parameter halves into data words, the run records, the tolerance band and the
// range replacements.

#include <gtest/gtest.h>

#include "core/params/ParamSet.h"
#include "core/params/VideoBuffers.h"

namespace korvo {
namespace {

constexpr std::uint16_t kPixels = 4096;

DataWords pack(const ParamSet& p, std::uint16_t half, DataWords words = {}) {
    ToleranceBand band;
    CopyVarsToPP(p, half, words, band, kPixels);
    return words;
}

TEST(ParamCodec, WordsOfBothHalvesInFrameOrder) {
    ParamSet p;
    p.power = 900;
    p.videoThdMode = 1;
    p.ccdOperationMode = 1;
    p.umSlope = 70000;  // 0x00011170
    p.umOffset = 0xABCD1234;
    p.para11 = 11;
    EXPECT_EQ(pack(p, 0), (DataWords{900, 1, 1, 1, 1, 1024, 512, 100, 100, 1, 0, 0, 1, 1, 1, 0}));
    DataWords preset{};
    preset[15] = 0x5555;  // only 16-word replies write word 15
    EXPECT_EQ(pack(p, 1, preset),
              (DataWords{40, 70, 0, 1, 0, 0, 0, 0, 0, 0, 11, 4464, 1, 0x1234, 0xABCD, 0x5555}));
    EXPECT_EQ(pack(p, 7), pack(p, 1));  // any non-zero half means para1
    // Either half brings the band up to the set's teach value and tolerances, too.
    ToleranceBand expected, band;
    recomputeToleranceBand(p, kPixels, expected);
    CopyVarsToPP(p, 1, preset, band, kPixels);
    EXPECT_EQ(std::pair(band.lower, band.upper), std::pair(expected.lower, expected.upper));
}

TEST(ParamCodec, UnpackingOneHalfLeavesTheOtherUntouchedAndRoundTrips) {
    ParamSet p;
    p.videoThdFix = 77;
    p.umSlope = 123456;
    DataWords words{};
    for (std::uint16_t i = 0; i < 16; ++i) words[i] = static_cast<std::uint16_t>(1000 + i);
    ToleranceBand band;
    CopyPPtoVars(p, 0, words, band, kPixels);
    EXPECT_EQ(p.power, 1000);
    EXPECT_EQ(p.teachValue, 1006);
    EXPECT_EQ(p.videoThdMode, 1014);
    EXPECT_EQ(p.videoThdFix, 77);
    EXPECT_EQ(p.umSlope, 123456u);
    // The band follows the new teach value and tolerances (1006 +/- 1007/1008).
    EXPECT_EQ(band.lower, 0);
    EXPECT_EQ(band.upper, 1006 + 1007);

    p.umSlope = 3000000000u;
    p.para10 = 0xFFFF;
    ParamSet q;
    for (std::uint16_t half : {0, 1}) CopyPPtoVars(q, half, pack(p, half), band, kPixels);
    EXPECT_EQ(q, p);
}

TEST(RunRecords, RawDataAndRecordRepliesFillTheirFields) {
    DataWords w{};
    for (std::uint16_t i = 0; i < 16; ++i) w[i] = static_cast<std::uint16_t>(i + 1);
    w[3] = 0x5678;
    w[4] = 0x0012;
    ParamSet p;
    RunRecord run;
    CopyPPtoRAW36(w, run, p);
    const std::pair<std::uint16_t RunRecord::*, int> fields[] = {
        {&RunRecord::leftEdge, 1},          {&RunRecord::rightEdge, 2},
        {&RunRecord::measuredValue, 3},     {&RunRecord::teachValue, 6},
        {&RunRecord::hardwareTolerance, 7}, {&RunRecord::edgeCount, 8},
        {&RunRecord::edgeExtentA, 9},       {&RunRecord::edgeExtentB, 10},
        {&RunRecord::maximumValue, 12},     {&RunRecord::minimumValue, 13},
        {&RunRecord::outputState, 14},      {&RunRecord::darkPixelCount, 16}};
    for (const auto& [field, value] : fields) EXPECT_EQ(run.*field, value);
    EXPECT_EQ(run.measuredUm, 0x00125678u);
    EXPECT_EQ(pack(p, 0)[6], 6);  // the next request carries the reported teach value

    RunRecord shortRun;
    shortRun.teachValue = 99;
    CopyPPtoRAW18({10, 20, 30, 0xFFFF, 0x0001, 4, 5, 777, 777, 777, 777, 777, 777, 777, 777, 777},
                  shortRun);
    const std::pair<std::uint16_t RunRecord::*, int> shortFields[] = {
        {&RunRecord::measuredValue, 10}, {&RunRecord::leftEdge, 20},
        {&RunRecord::rightEdge, 30},     {&RunRecord::edgeCount, 4},
        {&RunRecord::darkPixelCount, 5}, {&RunRecord::teachValue, 99},
        {&RunRecord::maximumValue, 0}};
    for (const auto& [field, value] : shortFields) EXPECT_EQ(shortRun.*field, value);
    EXPECT_EQ(shortRun.measuredUm, 0x0001FFFFu);
}

TEST(ToleranceBandTest, LinesStayBetweenZeroAndThePixelCountWithoutWrapping) {
    struct Case {
        std::uint16_t teach, upperTol, lowerTol;
        int upper, lower;
    };
    for (const Case c : {Case{50, 100, 100, 150, 0}, Case{4000, 200, 300, 4096, 3700},
                         Case{40000, 100, 100, 4096, 32767}, Case{65535, 100, 1, 4096, 32767}}) {
        ParamSet p;
        p.teachValue = c.teach;
        p.upperTolerance = c.upperTol;
        p.lowerTolerance = c.lowerTol;
        ToleranceBand band;
        recomputeToleranceBand(p, kPixels, band);
        EXPECT_EQ(band.upper, c.upper) << c.teach;
        EXPECT_EQ(band.lower, c.lower) << c.teach;
        EXPECT_EQ(band.upperLine[255], c.upper) << c.teach;
        EXPECT_EQ(band.lowerLine[0], c.lower) << c.teach;
    }
}

// The range table against the panel refresh: each row's bounds (4096 pixels) are kept, the values
// just beyond them replaced, and over every 16-bit value the refresh keeps exactly the range.
TEST(ParamRanges, TheRefreshKeepsEachRowsRangeAndReplacesTheRest) {
    using P = ParamSet;
    // clang-format off
    const struct {
        std::uint16_t ParamSet::*field;
        int low, high, belowTo, aboveTo;
    } cases[] = {
        {&P::power, 0, 1000, 0, 500},             {&P::analogOutMode, 0, 7, 0, 0},
        {&P::polarity, 0, 1, 0, 1},               {&P::evalMode, 0, 4, 0, 4},
        {&P::upperTolerance, 1, 4096, 1, 4096},   {&P::lowerTolerance, 1, 65535, 1, 0},
        {&P::videoThdMode, 0, 1, 0, 0},           {&P::evalBegin, 0, 4096, 0, 1},
        {&P::evalEnd, 1, 4096, 256, 4096},        {&P::extTriggerMode, 0, 6, 0, 0},
        {&P::hardwareMode, 0, 3, 0, 3},           {&P::average, 0, 256, 0, 256},
        {&P::powerMode, 0, 1, 0, 1},              {&P::rs232Mode, 0, 4, 0, 0},
        {&P::rs232Baudrate, 0, 4, 0, 1},          {&P::filterType, 0, 64, 0, 2},
        {&P::videoThdFix, 10, 950, 10, 950},      {&P::videoThdAuto, 10, 950, 10, 950},
        {&P::intTriggerMode, 0, 1, 0, 0},         {&P::triggerPixel, 0, 4096, 0, 4096},
        {&P::digitalOutMode, 0, 3, 0, 0},
        // No range for these: the refresh keeps any value.
        {&P::teachValue, 0, 65535, 0, 0},         {&P::analogZoomMode, 0, 65535, 0, 0},
        {&P::ccdOperationMode, 0, 65535, 0, 0},   {&P::para10, 0, 65535, 0, 0},
        {&P::para11, 0, 65535, 0, 0}};
    // clang-format on
    const auto refreshed = [](std::uint16_t ParamSet::*field, int value) {
        ParamSet p;
        p.*field = static_cast<std::uint16_t>(value);
        applyRanges(p, kPixels);
        return int{p.*field};
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << &c - cases);
        int low = 0;
        int high = 0xFFFF;
        for (const FieldRange& r : fieldRanges()) {
            if (r.field != c.field) continue;
            low = rangeValue(r.low, kPixels);
            high = rangeValue(r.high, kPixels);
        }
        EXPECT_EQ(low, c.low);
        EXPECT_EQ(high, c.high);
        if (c.low > 0) {
            EXPECT_EQ(refreshed(c.field, c.low - 1), c.belowTo);
        }
        if (c.high < 0xFFFF) {
            EXPECT_EQ(refreshed(c.field, c.high + 1), c.aboveTo);
        }
        for (int v = 0; v <= 0xFFFF; ++v) {
            const bool inRange = v >= c.low && v <= c.high;
            if ((refreshed(c.field, v) == v) != inRange) {
                ADD_FAILURE() << "value " << v << (inRange ? " replaced" : " kept");
                break;
            }
        }
    }
}

// What the tolerance and evaluation range fields keep of a typed value (1024 pixels, range 1..4096
// for the evaluation fields).
TEST(ParamRanges, TypedToleranceAndEvaluationFields) {
    const struct {
        int typed, teach, upper, lower;
    } tolerances[] = {
        {600, 512, 511, 511},    // beyond the band on both sides
        {512, 512, 512, 512},    // the last values that fit
        {100, 512, 100, 100},    // inside: kept
        {65636, 512, 100, 100},  // only the low 16 bits count
        {5, 0, 5, 0},            // a teach value at the start leaves no room below
        {5, 1024, 0, 5},         // nor at the end above
        {5, 1030, 0, 5},         // nor beyond it
    };
    for (const auto& t : tolerances) {
        EXPECT_EQ(upperToleranceField(t.typed, t.teach, 1024), t.upper)
            << t.typed << '/' << t.teach;
        EXPECT_EQ(lowerToleranceField(t.typed, t.teach), t.lower) << t.typed << '/' << t.teach;
    }
    const struct {
        int typed;
        EvalRangeField begin, end;
    } fields[] = {
        {0, {1, true}, {2, true}},          {1, {1, false}, {1, false}},
        {300, {300, false}, {300, false}},  {4096, {4096, false}, {4096, false}},
        {4097, {4095, true}, {4096, true}},
    };
    for (const auto& f : fields) {
        EXPECT_EQ(evalBeginField(f.typed, 1, 4096), f.begin) << f.typed;
        EXPECT_EQ(evalEndField(f.typed, 1, 4096), f.end) << f.typed;
    }
}

TEST(ParamDefaults, ResetRestoresTheStartUpValues) {
    ParamSet p;
    p.power = 1;
    p.umSlope = 5;
    resetToDefaults(p);
    EXPECT_EQ(p, ParamSet{});
}

// The whole line (40 % of 255 from end to end) is drawn in app/params' ParamControlsTest.
TEST(ThresholdLine, FullScaleTimesFixedThresholdOverHundred) {
    EXPECT_EQ(thresholdLineValue(255, 33), 84);  // 84.15 cut off
    EXPECT_EQ(thresholdLineValue(4095, 950), 38902);
}

}  // namespace
}  // namespace korvo
