#include "core/params/ParamSet.h"

#include <algorithm>

namespace korvo {

namespace {

std::uint16_t low16(std::uint32_t v) {
    return static_cast<std::uint16_t>(v & 0xFFFFu);
}
std::uint16_t high16(std::uint32_t v) {
    return static_cast<std::uint16_t>(v >> 16);
}
std::uint32_t join32(std::uint16_t low, std::uint16_t high) {
    return static_cast<std::uint32_t>(low) | (static_cast<std::uint32_t>(high) << 16);
}

// The 15 words of para0 in frame order.
std::array<std::uint16_t ParamSet::*, 15> para0Fields() {
    return {&ParamSet::power,
            &ParamSet::powerMode,
            &ParamSet::polarity,
            &ParamSet::evalMode,
            &ParamSet::evalBegin,
            &ParamSet::evalEnd,
            &ParamSet::teachValue,
            &ParamSet::upperTolerance,
            &ParamSet::lowerTolerance,
            &ParamSet::average,
            &ParamSet::extTriggerMode,
            &ParamSet::analogOutMode,
            &ParamSet::ccdOperationMode,
            &ParamSet::hardwareMode,
            &ParamSet::videoThdMode};
}

// The first 11 words of para1; words 11..14 carry um-Slope and um-Offset.
std::array<std::uint16_t ParamSet::*, 11> para1Fields() {
    return {&ParamSet::videoThdFix,    &ParamSet::videoThdAuto, &ParamSet::rs232Mode,
            &ParamSet::rs232Baudrate,  &ParamSet::filterType,   &ParamSet::analogZoomMode,
            &ParamSet::intTriggerMode, &ParamSet::triggerPixel, &ParamSet::digitalOutMode,
            &ParamSet::para10,         &ParamSet::para11};
}

}  // namespace

void resetToDefaults(ParamSet& p) {
    p = ParamSet{};
}

void CopyVarsToPP(const ParamSet& p, std::uint16_t half, DataWords& words, ToleranceBand& band,
                  std::uint16_t pixelCount) {
    if (half == 0) {
        const auto fields = para0Fields();
        for (size_t i = 0; i < fields.size(); ++i) words[i] = p.*fields[i];
    } else {
        const auto fields = para1Fields();
        for (size_t i = 0; i < fields.size(); ++i) words[i] = p.*fields[i];
        words[11] = low16(p.umSlope);
        words[12] = high16(p.umSlope);
        words[13] = low16(p.umOffset);
        words[14] = high16(p.umOffset);
    }
    recomputeToleranceBand(p, pixelCount, band);
}

void CopyPPtoVars(ParamSet& p, std::uint16_t half, const DataWords& words, ToleranceBand& band,
                  std::uint16_t pixelCount) {
    if (half == 0) {
        const auto fields = para0Fields();
        for (size_t i = 0; i < fields.size(); ++i) p.*fields[i] = words[i];
    } else {
        const auto fields = para1Fields();
        for (size_t i = 0; i < fields.size(); ++i) p.*fields[i] = words[i];
        p.umSlope = join32(words[11], words[12]);
        p.umOffset = join32(words[13], words[14]);
    }
    recomputeToleranceBand(p, pixelCount, band);
}

void CopyPPtoRAW36(const DataWords& words, RunRecord& run, ParamSet& p) {
    run.leftEdge = words[0];
    run.rightEdge = words[1];
    run.measuredValue = words[2];
    run.measuredUm = join32(words[3], words[4]);
    run.teachValue = words[5];
    run.hardwareTolerance = words[6];
    run.edgeCount = words[7];
    run.edgeExtentA = words[8];
    run.edgeExtentB = words[9];
    run.spare10 = words[10];
    run.maximumValue = words[11];
    run.minimumValue = words[12];
    run.outputState = words[13];
    run.spare14 = words[14];
    run.darkPixelCount = words[15];
    // The sensor reports its current set point (it may have been taught on the housing).
    p.teachValue = words[5];
}

void CopyPPtoRAW18(const DataWords& words, RunRecord& run) {
    run.measuredValue = words[0];
    run.leftEdge = words[1];
    run.rightEdge = words[2];
    run.measuredUm = join32(words[3], words[4]);
    run.edgeCount = words[5];
    run.darkPixelCount = words[6];
}

void recomputeToleranceBand(const ParamSet& p, std::uint16_t pixelCount, ToleranceBand& band) {
    // Worked out in 32 bits so that a large teach value cannot wrap around; the results are
    // then kept within 0..32767 (lower) and at most the pixel count (upper), which for every
    // value a real sensor reports is the same as the plain 16-bit sum and difference.
    constexpr std::int32_t kInt16Max = 32767;
    const std::int32_t lower = std::clamp<std::int32_t>(
        std::int32_t{p.teachValue} - std::int32_t{p.lowerTolerance}, 0, kInt16Max);
    std::int32_t upper = std::int32_t{p.teachValue} + std::int32_t{p.upperTolerance};
    upper = std::min<std::int32_t>(upper, pixelCount);
    upper = std::min(upper, kInt16Max);
    band.lower = static_cast<std::int16_t>(lower);
    band.upper = static_cast<std::int16_t>(upper);
    band.teachLine.fill(p.teachValue);
    band.upperLine.fill(static_cast<std::uint16_t>(upper));
    band.lowerLine.fill(static_cast<std::uint16_t>(lower));
}

const std::vector<FieldRange>& fieldRanges() {
    using P = ParamSet;
    constexpr int kPx = kPixelCount;
    static const std::vector<FieldRange> rows = {
        {&P::power, 0, 1000, 0, 500},         {&P::analogOutMode, 0, 7, 0, 0},
        {&P::polarity, 0, 1, 0, 1},           {&P::evalMode, 0, 4, 0, 4},
        {&P::upperTolerance, 1, kPx, 1, kPx}, {&P::lowerTolerance, 1, 0xFFFF, 1, 0xFFFF},
        {&P::videoThdMode, 0, 1, 0, 0},       {&P::evalBegin, 0, kPx, 0, 1},
        {&P::evalEnd, 1, kPx, 256, kPx},      {&P::extTriggerMode, 0, 6, 0, 0},
        {&P::hardwareMode, 0, 3, 0, 3},       {&P::average, 0, 256, 0, 256},
        {&P::powerMode, 0, 1, 0, 1},          {&P::rs232Mode, 0, 4, 0, 0},
        {&P::rs232Baudrate, 0, 4, 0, 1},      {&P::filterType, 0, 64, 0, 2},
        {&P::videoThdFix, 10, 950, 10, 950},  {&P::videoThdAuto, 10, 950, 10, 950},
        {&P::intTriggerMode, 0, 1, 0, 0},     {&P::triggerPixel, 0, kPx, 0, kPx},
        {&P::digitalOutMode, 0, 3, 0, 0},
    };
    return rows;
}

int rangeValue(int bound, std::uint16_t pixelCount) {
    return bound == kPixelCount ? pixelCount : bound;
}

void applyRanges(ParamSet& p, std::uint16_t pixelCount) {
    for (const FieldRange& r : fieldRanges()) {
        std::uint16_t& field = p.*r.field;
        // Above first: a pixel count of 0 would otherwise leave an upper tolerance of 0.
        if (field > rangeValue(r.high, pixelCount))
            field = static_cast<std::uint16_t>(rangeValue(r.aboveTo, pixelCount));
        if (field < rangeValue(r.low, pixelCount))
            field = static_cast<std::uint16_t>(rangeValue(r.belowTo, pixelCount));
    }
}

int upperToleranceField(int typed, int teachValue, int pixelCount) {
    const int upper = typed & 0xFFFF;
    if (teachValue + upper > pixelCount) return std::max(pixelCount - teachValue - 1, 0);
    return upper;
}

int lowerToleranceField(int typed, int teachValue) {
    const int lower = typed & 0xFFFF;
    if (lower > teachValue) return std::max(teachValue - 1, 0);
    return lower;
}

EvalRangeField evalBeginField(int typed, int firstPixel, int lastPixel) {
    EvalRangeField f{typed, false};
    if (f.value < firstPixel) f = {firstPixel, true};
    if (f.value > lastPixel) f = {lastPixel - 1, true};
    return f;
}

EvalRangeField evalEndField(int typed, int firstPixel, int lastPixel) {
    EvalRangeField f{typed, false};
    if (f.value > lastPixel) f = {lastPixel, true};
    if (f.value < firstPixel) f = {firstPixel + 1, true};
    return f;
}

}  // namespace korvo
