// Packing the parameter halves into data words, the run records, the tolerance band and the
// range replacements.

#include <gtest/gtest.h>

#include "core/params/ParamSet.h"
#include "core/params/VideoBuffers.h"

namespace korvo {
namespace {

constexpr std::uint16_t kPixels = 4096;

TEST(ParamCodec, Para1CarriesThe32BitFieldsLowHalfFirst) {
    ParamSet p;
    p.umSlope = 70000;  // 0x00011170
    p.umOffset = 0xABCD1234;
    p.videoThdFix = 41;
    p.para11 = 11;
    DataWords words{};
    words[15] = 0x5555;  // only 16-word replies write word 15
    ToleranceBand band;
    CopyVarsToPP(p, 1, words, band, kPixels);
    EXPECT_EQ(words[0], 41);
    EXPECT_EQ(words[10], 11);
    // Parameter words 12 and 13 of para1 (frame words 14 and 15).
    EXPECT_EQ(words[11], 4464);
    EXPECT_EQ(words[12], 1);
    EXPECT_EQ(words[13], 0x1234);
    EXPECT_EQ(words[14], 0xABCD);
    EXPECT_EQ(words[15], 0x5555);
}

TEST(ParamCodec, Para0WordsInFrameOrder) {
    ParamSet p;
    p.power = 900;
    p.videoThdMode = 1;
    p.ccdOperationMode = 1;
    DataWords words{};
    ToleranceBand band;
    CopyVarsToPP(p, 0, words, band, kPixels);
    const DataWords expected{900, 1, 1, 1, 1, 1024, 512, 100, 100, 1, 0, 0, 1, 1, 1, 0};
    EXPECT_EQ(words, expected);
}

TEST(ParamCodec, AnyNonZeroHalfMeansPara1) {
    ParamSet p;
    DataWords a{}, b{};
    ToleranceBand band;
    CopyVarsToPP(p, 1, a, band, kPixels);
    CopyVarsToPP(p, 7, b, band, kPixels);
    EXPECT_EQ(a, b);
    EXPECT_EQ(a[0], 40);
}

TEST(ParamCodec, UnpackingOneHalfLeavesTheOtherUntouched) {
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
}

TEST(ParamCodec, RoundTripOfBothHalves) {
    ParamSet p;
    p.umSlope = 3000000000u;
    p.umOffset = 1;
    p.para10 = 0xFFFF;
    p.hardwareMode = 3;
    ParamSet q;
    DataWords words{};
    ToleranceBand band;
    for (std::uint16_t half : {0, 1}) {
        CopyVarsToPP(p, half, words, band, kPixels);
        CopyPPtoVars(q, half, words, band, kPixels);
    }
    EXPECT_EQ(q, p);
}

TEST(RunRecords, RawDataReplyFillsTheRunRecordAndTheTeachValue) {
    DataWords w{};
    for (std::uint16_t i = 0; i < 16; ++i) w[i] = static_cast<std::uint16_t>(i + 1);
    w[3] = 0x5678;
    w[4] = 0x0012;
    ParamSet p;
    RunRecord run;
    CopyPPtoRAW36(w, run, p);
    EXPECT_EQ(run.leftEdge, 1);
    EXPECT_EQ(run.rightEdge, 2);
    EXPECT_EQ(run.measuredValue, 3);
    EXPECT_EQ(run.measuredUm, 0x00125678u);
    EXPECT_EQ(run.teachValue, 6);
    EXPECT_EQ(run.hardwareTolerance, 7);
    EXPECT_EQ(run.edgeCount, 8);
    EXPECT_EQ(run.edgeExtentA, 9);
    EXPECT_EQ(run.edgeExtentB, 10);
    EXPECT_EQ(run.maximumValue, 12);
    EXPECT_EQ(run.minimumValue, 13);
    EXPECT_EQ(run.outputState, 14);
    EXPECT_EQ(run.darkPixelCount, 16);
    EXPECT_EQ(p.teachValue, 6);

    // The next request carries the reported teach value.
    DataWords out{};
    ToleranceBand band;
    CopyVarsToPP(p, 0, out, band, kPixels);
    EXPECT_EQ(out[6], 6);
}

TEST(RunRecords, RecordReplyFillsTheShortRecordOnly) {
    RunRecord run;
    run.teachValue = 99;
    run.maximumValue = 98;
    const DataWords w{10,  20,  30,  0xFFFF, 0x0001, 4,   5,   777,
                      777, 777, 777, 777,    777,    777, 777, 777};
    CopyPPtoRAW18(w, run);
    EXPECT_EQ(run.measuredValue, 10);
    EXPECT_EQ(run.leftEdge, 20);
    EXPECT_EQ(run.rightEdge, 30);
    EXPECT_EQ(run.measuredUm, 0x0001FFFFu);
    EXPECT_EQ(run.edgeCount, 4);
    EXPECT_EQ(run.darkPixelCount, 5);
    EXPECT_EQ(run.teachValue, 99);
    EXPECT_EQ(run.maximumValue, 98);
}

TEST(ToleranceBandTest, LowerLineDoesNotWrapBelowZero) {
    ParamSet p;
    p.teachValue = 50;
    p.lowerTolerance = 100;
    ToleranceBand band;
    recomputeToleranceBand(p, kPixels, band);
    EXPECT_EQ(band.lower, 0);
    EXPECT_EQ(band.lowerLine[0], 0);
    EXPECT_EQ(band.lowerLine[255], 0);
    EXPECT_EQ(band.upper, 150);
    EXPECT_EQ(band.teachLine[128], 50);
}

TEST(ToleranceBandTest, UpperLineIsCappedAtThePixelCount) {
    ParamSet p;
    p.teachValue = 4000;
    p.upperTolerance = 200;
    p.lowerTolerance = 300;
    ToleranceBand band;
    recomputeToleranceBand(p, kPixels, band);
    EXPECT_EQ(band.upper, 4096);
    EXPECT_EQ(band.upperLine[0], 4096);
    EXPECT_EQ(band.upperLine[255], 4096);
    EXPECT_EQ(band.lower, 3700);
    EXPECT_EQ(band.lowerLine[17], 3700);
}

TEST(ToleranceBandTest, LargeValuesDoNotWrapAround) {
    ParamSet p;
    p.teachValue = 40000;  // beyond signed 16 bits
    p.upperTolerance = 100;
    p.lowerTolerance = 100;
    ToleranceBand band;
    recomputeToleranceBand(p, kPixels, band);
    EXPECT_EQ(band.upper, 4096);
    EXPECT_EQ(band.lower, 32767);
    p.teachValue = 65535;
    p.lowerTolerance = 1;
    recomputeToleranceBand(p, kPixels, band);
    EXPECT_EQ(band.lowerLine[0], 32767);
}

TEST(ParamRanges, EveryFieldOutOfRangeIsReplaced) {
    ParamSet p;
    p.power = 1200;
    p.analogOutMode = 8;
    p.polarity = 2;
    p.evalMode = 9;
    p.upperTolerance = 5000;
    p.lowerTolerance = 0;
    p.videoThdMode = 2;
    p.evalBegin = 4097;
    p.evalEnd = 5000;
    p.extTriggerMode = 7;
    p.hardwareMode = 4;
    p.average = 300;
    p.powerMode = 5;
    p.rs232Mode = 5;
    p.rs232Baudrate = 5;
    p.filterType = 65;
    p.videoThdFix = 5;
    p.videoThdAuto = 1000;
    p.intTriggerMode = 2;
    p.triggerPixel = 4097;
    p.digitalOutMode = 4;
    p.teachValue = 60000;    // no range
    p.analogZoomMode = 9;    // no range
    p.ccdOperationMode = 7;  // no range
    applyRanges(p, kPixels);
    EXPECT_EQ(p.power, 500);
    EXPECT_EQ(p.analogOutMode, 0);
    EXPECT_EQ(p.polarity, 1);
    EXPECT_EQ(p.evalMode, 4);
    EXPECT_EQ(p.upperTolerance, 4096);
    EXPECT_EQ(p.lowerTolerance, 1);
    EXPECT_EQ(p.videoThdMode, 0);
    EXPECT_EQ(p.evalBegin, 1);
    EXPECT_EQ(p.evalEnd, 4096);
    EXPECT_EQ(p.extTriggerMode, 0);
    EXPECT_EQ(p.hardwareMode, 3);
    EXPECT_EQ(p.average, 256);
    EXPECT_EQ(p.powerMode, 1);
    EXPECT_EQ(p.rs232Mode, 0);
    EXPECT_EQ(p.rs232Baudrate, 1);
    EXPECT_EQ(p.filterType, 2);
    EXPECT_EQ(p.videoThdFix, 10);
    EXPECT_EQ(p.videoThdAuto, 950);
    EXPECT_EQ(p.intTriggerMode, 0);
    EXPECT_EQ(p.triggerPixel, 4096);
    EXPECT_EQ(p.digitalOutMode, 0);
    EXPECT_EQ(p.teachValue, 60000);
    EXPECT_EQ(p.analogZoomMode, 9);
    EXPECT_EQ(p.ccdOperationMode, 7);
}

TEST(ParamRanges, BoundaryValuesStay) {
    ParamSet p;
    p.power = 1000;
    p.evalMode = 3;
    p.filterType = 64;
    p.upperTolerance = 4096;
    p.evalBegin = 4096;
    p.evalEnd = 4096;
    p.average = 256;
    p.videoThdFix = 950;
    p.videoThdAuto = 10;
    p.hardwareMode = 3;
    p.extTriggerMode = 6;
    p.analogOutMode = 7;
    const ParamSet before = p;
    applyRanges(p, kPixels);
    EXPECT_EQ(p, before);
}

TEST(ParamRanges, ZeroReplacementsAfterTheCap) {
    ParamSet p;
    p.evalEnd = 0;
    p.upperTolerance = 0;
    applyRanges(p, kPixels);
    EXPECT_EQ(p.evalEnd, 256);
    EXPECT_EQ(p.upperTolerance, 1);
    // Eval-Mode 4 is what a value above 3 becomes, so it stays.
    p.evalMode = 4;
    applyRanges(p, 1024);
    EXPECT_EQ(p.evalMode, 4);
}

TEST(ParamDefaults, ResetRestoresTheStartUpValues) {
    ParamSet p;
    p.power = 1;
    p.umSlope = 5;
    p.digitalOutMode = 3;
    resetToDefaults(p);
    EXPECT_EQ(p, ParamSet{});
    EXPECT_EQ(p.power, 500);
    EXPECT_EQ(p.evalEnd, 1024);
    EXPECT_EQ(p.umSlope, 1024u);
    EXPECT_EQ(p.umOffset, 32767u);
}

TEST(ThresholdLine, FullScaleTimesFixedThresholdOverHundred) {
    VideoBuffers v;
    fillThresholdLine(v, 255, 40);
    EXPECT_EQ(v.thresholdLine[0], 102);
    EXPECT_EQ(v.thresholdLine[255], 102);
    EXPECT_EQ(thresholdLineValue(255, 33), 84);  // 84.15 cut off
    EXPECT_EQ(thresholdLineValue(4095, 950), 38902);
}

}  // namespace
}  // namespace korvo
