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

TEST(ParamRanges, OutOfRangeFieldsAreReplacedBoundariesStay) {
    struct Case {
        std::uint16_t ParamSet::*field;
        std::uint16_t bad, replaced, boundary;
    };
    const Case cases[] = {{&ParamSet::power, 1200, 500, 1000},
                          {&ParamSet::analogOutMode, 8, 0, 7},
                          {&ParamSet::polarity, 2, 1, 1},
                          {&ParamSet::evalMode, 9, 4, 3},
                          {&ParamSet::upperTolerance, 5000, 4096, 4096},
                          {&ParamSet::lowerTolerance, 0, 1, 1},
                          {&ParamSet::videoThdMode, 2, 0, 1},
                          {&ParamSet::evalBegin, 4097, 1, 4096},
                          {&ParamSet::evalEnd, 5000, 4096, 4096},
                          {&ParamSet::extTriggerMode, 7, 0, 6},
                          {&ParamSet::hardwareMode, 4, 3, 3},
                          {&ParamSet::average, 300, 256, 256},
                          {&ParamSet::powerMode, 5, 1, 1},
                          {&ParamSet::rs232Mode, 5, 0, 4},
                          {&ParamSet::rs232Baudrate, 5, 1, 4},
                          {&ParamSet::filterType, 65, 2, 64},
                          {&ParamSet::videoThdFix, 5, 10, 950},
                          {&ParamSet::videoThdAuto, 1000, 950, 10},
                          {&ParamSet::intTriggerMode, 2, 0, 1},
                          {&ParamSet::triggerPixel, 4097, 4096, 4096},
                          {&ParamSet::digitalOutMode, 4, 0, 3},
                          {&ParamSet::evalEnd, 0, 256, 1},
                          {&ParamSet::upperTolerance, 0, 1, 1},
                          {&ParamSet::evalMode, 4, 4, 4},
                          {&ParamSet::teachValue, 60000, 60000, 0},  // no range for these three
                          {&ParamSet::analogZoomMode, 9, 9, 0},
                          {&ParamSet::ccdOperationMode, 7, 7, 0}};
    for (const Case& c : cases) {
        ParamSet p;
        p.*c.field = c.bad;
        applyRanges(p, kPixels);
        EXPECT_EQ(p.*c.field, c.replaced) << "bad value " << c.bad;
        ParamSet q;
        q.*c.field = c.boundary;
        applyRanges(q, kPixels);
        EXPECT_EQ(q.*c.field, c.boundary) << "boundary " << c.boundary;
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
