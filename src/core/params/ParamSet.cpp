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

void applyRanges(ParamSet& p, std::uint16_t pixelCount) {
    auto above = [](std::uint16_t& field, std::uint16_t limit, std::uint16_t replacement) {
        if (field > limit) field = replacement;
    };
    auto clamp = [](std::uint16_t& field, std::uint16_t lo, std::uint16_t hi) {
        field = std::clamp(field, lo, hi);
    };

    above(p.power, 1000, 500);
    above(p.analogOutMode, 7, 0);
    above(p.polarity, 1, 1);
    above(p.evalMode, 3, 4);
    above(p.upperTolerance, pixelCount, pixelCount);
    if (p.upperTolerance == 0) p.upperTolerance = 1;
    if (p.lowerTolerance == 0) p.lowerTolerance = 1;
    above(p.videoThdMode, 1, 0);
    above(p.evalBegin, pixelCount, 1);
    above(p.evalEnd, pixelCount, pixelCount);
    if (p.evalEnd == 0) p.evalEnd = 256;
    above(p.extTriggerMode, 6, 0);
    above(p.hardwareMode, 3, 3);
    above(p.average, 256, 256);
    above(p.powerMode, 1, 1);
    above(p.rs232Mode, 4, 0);
    above(p.rs232Baudrate, 4, 1);
    above(p.filterType, 64, 2);
    clamp(p.videoThdFix, 10, 950);
    clamp(p.videoThdAuto, 10, 950);
    above(p.intTriggerMode, 1, 0);
    above(p.triggerPixel, pixelCount, pixelCount);
    above(p.digitalOutMode, 3, 0);
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
