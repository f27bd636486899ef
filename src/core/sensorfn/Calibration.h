#pragma once
// Calibration to micrometres: the two-point fit and the conversions between the fitted line and
// the sensor's um-Slope / um-Offset parameters (micrometres per measured unit x 1024, and
// micrometre offset + 32767), including their place in the data words of command 12.

#include <QString>
#include <array>
#include <cstdint>

namespace korvo {

struct CalibPoint {
    double x = 0.0;  // measured value
    double y = 0.0;  // reference size in micrometres
};

struct CalibFitResult {
    bool ok = false;
    double slope = 0.0;
    double offset = 0.0;
    QString message;  // why the fit was refused when !ok
};

inline constexpr const char* kCalibSameValueMessage =
    "Calibration failed: both objects have the same measured value!";

// The fit of the Calib panel. Both objects accepted: the line through point 1 and point 2. Only
// object 2: the line through the origin and point 2. Otherwise: the line through the origin and
// point 1. When both x values of the chosen pair are equal there is no line: the result is a
// refusal with kCalibSameValueMessage and the caller changes nothing.
CalibFitResult fitCalibration(bool object1Accepted, CalibPoint point1, bool object2Accepted,
                              CalibPoint point2);

// The 32-bit pattern of v truncated toward zero, i.e. the truncated value modulo 2^32, so that
// negative values wrap (-1.0 -> 4294967295) and values of 2^31 and above keep their top bit.
// NaN and the infinities have no integer part and give 0.
std::uint32_t truncateToUint32(double v);

// um-Slope = 1024 x slope and um-Offset = 32767 + offset, each through truncateToUint32.
std::uint32_t umSlopeFromSlope(double slope);
std::uint32_t umOffsetFromOffset(double offset);

// What the slope and offset fields show: um-Slope / 1024 in single precision, and um-Offset -
// 32767 as a signed 32-bit value.
float slopeFromUmSlope(std::uint32_t umSlope);
std::int32_t offsetFromUmOffset(std::uint32_t umOffset);

// The points of a calibration in progress: which reference objects were accepted, at which
// measured value and size, the line last shown to the operator, and the evaluation mode to go
// back to when it ends.
struct CalibrationSteps {
    std::array<bool, 2> accepted{};
    std::array<CalibPoint, 2> points{};
    // What the fitted-slope and fitted-offset displays show; not ok when there is nothing to
    // save. A point accepted after the fit makes it stale: only a new fit can be saved then.
    CalibFitResult shown;
    std::uint16_t keptEvalMode = 1;

    // object 0 or 1: the measured value and the reference size in micrometres.
    void accept(int object, double measured, double reference) {
        accepted[object] = true;
        points[object] = {measured, reference};
        shown = {};
    }
    // Fits the accepted points; a line is kept as the one shown.
    CalibFitResult fit() {
        const CalibFitResult result =
            fitCalibration(accepted[0], points[0], accepted[1], points[1]);
        if (result.ok) shown = result;
        return result;
    }
    void clearAccepted() {
        accepted = {};
        shown = {};
    }
};

struct CalibValues {
    std::uint32_t umSlope = 1024;
    std::uint32_t umOffset = 32767;
    bool operator==(const CalibValues&) const = default;
};

// Data words 0..3 of command 12 (requests and replies): low and high half of um-Slope, then low
// and high half of um-Offset. The other data words are left as they are.
void putCalibWords(const CalibValues& values, std::array<std::uint16_t, 16>& dataWords);
CalibValues calibFromWords(const std::array<std::uint16_t, 16>& dataWords);

}  // namespace korvo
