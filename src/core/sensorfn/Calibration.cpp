#include "core/sensorfn/Calibration.h"

#include <cmath>

#include "core/sensorfn/LineFit.h"

namespace korvo {

CalibFitResult fitCalibration(bool object1Accepted, CalibPoint point1, bool object2Accepted,
                              CalibPoint point2) {
    CalibPoint a = point1;
    CalibPoint b = point2;
    if (!object2Accepted) {
        // One object only: the line through the origin and that object.
        b = point1;
        a = CalibPoint{};
    } else if (!object1Accepted) {
        a = CalibPoint{};
    }

    CalibFitResult result;
    const std::array<double, 2> xs{a.x, b.x};
    const std::array<double, 2> ys{a.y, b.y};
    std::array<double, 2> fitted{};
    double mse = 0.0;
    if (LinFit(xs, ys, fitted, result.slope, result.offset, mse) != kLinFitOk) {
        result.slope = 0.0;
        result.offset = 0.0;
        result.message = QString::fromLatin1(kCalibSameValueMessage);
        return result;
    }
    result.ok = true;
    return result;
}

std::uint32_t truncateToUint32(double v) {
    if (!std::isfinite(v)) return 0;
    constexpr double kTwo32 = 4294967296.0;
    // fmod is exact, so this is the integer part modulo 2^32 even for huge values.
    double r = std::fmod(std::trunc(v), kTwo32);
    if (r < 0.0) r += kTwo32;
    return static_cast<std::uint32_t>(r);
}

std::uint32_t umSlopeFromSlope(double slope) {
    return truncateToUint32(1024.0 * slope);
}

std::uint32_t umOffsetFromOffset(double offset) {
    return truncateToUint32(32767.0 + offset);
}

float slopeFromUmSlope(std::uint32_t umSlope) {
    return static_cast<float>(static_cast<double>(umSlope) / 1024.0);
}

std::int32_t offsetFromUmOffset(std::uint32_t umOffset) {
    return static_cast<std::int32_t>(umOffset - 32767u);
}

void putCalibWords(const CalibValues& values, std::array<std::uint16_t, 16>& dataWords) {
    dataWords[0] = static_cast<std::uint16_t>(values.umSlope & 0xFFFFu);
    dataWords[1] = static_cast<std::uint16_t>(values.umSlope >> 16);
    dataWords[2] = static_cast<std::uint16_t>(values.umOffset & 0xFFFFu);
    dataWords[3] = static_cast<std::uint16_t>(values.umOffset >> 16);
}

CalibValues calibFromWords(const std::array<std::uint16_t, 16>& dataWords) {
    CalibValues values;
    values.umSlope =
        static_cast<std::uint32_t>(dataWords[0]) | (static_cast<std::uint32_t>(dataWords[1]) << 16);
    values.umOffset =
        static_cast<std::uint32_t>(dataWords[2]) | (static_cast<std::uint32_t>(dataWords[3]) << 16);
    return values;
}

}  // namespace korvo
