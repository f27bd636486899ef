#pragma once
// The sensor's parameter record (two halves of 15 words, para0 and para1), its defaults, the range
// replacements the panel refresh applies, the codec between a half and the data-word buffer, and
// the measurement records decoded from raw-data and record replies.

#include <array>
#include <cstdint>
#include <vector>

namespace korvo {

struct ParamSet {
    // para0
    std::uint16_t power = 500;
    std::uint16_t powerMode = 1;
    std::uint16_t polarity = 1;
    std::uint16_t evalMode = 1;
    std::uint16_t evalBegin = 1;
    std::uint16_t evalEnd = 1024;
    std::uint16_t teachValue = 512;
    std::uint16_t upperTolerance = 100;
    std::uint16_t lowerTolerance = 100;
    std::uint16_t average = 1;
    std::uint16_t extTriggerMode = 0;
    std::uint16_t analogOutMode = 0;
    std::uint16_t ccdOperationMode = 0;
    std::uint16_t hardwareMode = 1;
    std::uint16_t videoThdMode = 0;
    // para1
    std::uint16_t videoThdFix = 40;
    std::uint16_t videoThdAuto = 70;
    std::uint16_t rs232Mode = 0;
    std::uint16_t rs232Baudrate = 1;
    std::uint16_t filterType = 0;
    std::uint16_t analogZoomMode = 0;
    std::uint16_t intTriggerMode = 0;
    std::uint16_t triggerPixel = 0;
    std::uint16_t digitalOutMode = 0;
    std::uint16_t para10 = 0;
    std::uint16_t para11 = 0;
    std::uint32_t umSlope = 1024;    // micrometres per pixel x 1024
    std::uint32_t umOffset = 32767;  // micrometre offset + 32767

    bool operator==(const ParamSet&) const = default;
};

inline constexpr int kProfileSamples = 256;
using ProfileArray = std::array<std::uint16_t, kProfileSamples>;

// Tolerance band lines, one entry per plotted profile sample.
struct ToleranceBand {
    std::int16_t lower = 0;
    std::int16_t upper = 0;
    ProfileArray teachLine{};
    ProfileArray upperLine{};
    ProfileArray lowerLine{};
};

// A decoded raw-data reply (16 words).
struct RunRecord {
    std::uint16_t leftEdge = 0;
    std::uint16_t rightEdge = 0;
    std::uint16_t measuredValue = 0;
    std::uint32_t measuredUm = 0;
    std::uint16_t teachValue = 0;
    std::uint16_t hardwareTolerance = 0;
    std::uint16_t edgeCount = 0;
    std::uint16_t edgeExtentA = 0;
    std::uint16_t edgeExtentB = 0;
    std::uint16_t spare10 = 0;
    std::uint16_t maximumValue = 0;
    std::uint16_t minimumValue = 0;
    std::uint16_t outputState = 0;
    std::uint16_t spare14 = 0;
    std::uint16_t darkPixelCount = 0;
};

using DataWords = std::array<std::uint16_t, 16>;

// Sets every field to its start-up default.
void resetToDefaults(ParamSet& p);

// Half 0 = para0, any other value = para1. Copies the 15 words of the half into words 0..14 of
// the data-word buffer (um-Slope and um-Offset low half first), then recomputes the band.
void CopyVarsToPP(const ParamSet& p, std::uint16_t half, DataWords& words, ToleranceBand& band,
                  std::uint16_t pixelCount);
// The exact reverse: words 0..14 into the half, then recomputes the band.
void CopyPPtoVars(ParamSet& p, std::uint16_t half, const DataWords& words, ToleranceBand& band,
                  std::uint16_t pixelCount);
// Words 0..15 into the run record; the teach value also goes into the parameter set.
void CopyPPtoRAW36(const DataWords& words, RunRecord& run, ParamSet& p);
// Words 0..6 of a record reply into the same run-record variables (measured value, left edge,
// right edge, micrometre value, edge count, dark-pixel count).
void CopyPPtoRAW18(const DataWords& words, RunRecord& run);

// Recomputes lower (signed 16-bit, raised to 0) and upper (capped at the pixel count) and fills
// the three lines.
void recomputeToleranceBand(const ParamSet& p, std::uint16_t pixelCount, ToleranceBand& band);

// The ranges the panel refresh keeps the fields within: a value from low to high stays, one above
// high becomes aboveTo, one below low becomes belowTo. Bounds and replacements of kPixelCount
// stand for the model's pixel count. Fields without a row keep any value.
inline constexpr int kPixelCount = -1;
struct FieldRange {
    std::uint16_t ParamSet::*field;
    int low, high;
    int belowTo, aboveTo;
};
// The rows in the refresh's order; the one source of its rule and of the parameter file check.
const std::vector<FieldRange>& fieldRanges();
// A bound or replacement of a row for the given pixel count.
int rangeValue(int bound, std::uint16_t pixelCount);

// The range replacements of the panel refresh, row by row of fieldRanges().
void applyRanges(ParamSet& p, std::uint16_t pixelCount);

// What a tolerance field keeps of the value typed into it (low 16 bits): the band must fit in
// the line above the teach value and end at pixel 1 below it. A teach value at either end of
// the line leaves 0, never a wrapped-round tolerance.
int upperToleranceField(int typed, int teachValue, int pixelCount);
int lowerToleranceField(int typed, int teachValue);

// What an evaluation range field keeps of the value typed into it, against the model's pixel
// range. Only a value that had to be replaced goes into the parameter set at once; one inside
// the range waits for the next panel read.
struct EvalRangeField {
    int value = 0;
    bool replaced = false;
    bool operator==(const EvalRangeField&) const = default;
};
EvalRangeField evalBeginField(int typed, int firstPixel, int lastPixel);
EvalRangeField evalEndField(int typed, int firstPixel, int lastPixel);

}  // namespace korvo
