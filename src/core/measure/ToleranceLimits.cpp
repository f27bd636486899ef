#include "core/measure/ToleranceLimits.h"

#include <algorithm>

namespace korvo {

ToleranceLimits toleranceLimits(const ParamSet& p, int sensorTolerance, int pixelCount) {
    const auto s16 = [](int v) { return int{static_cast<std::int16_t>(v)}; };
    const bool fromSensor = p.hardwareMode == 1 || p.hardwareMode == 3;
    ToleranceLimits l;
    l.upperTol = fromSensor ? sensorTolerance : p.upperTolerance;
    l.lowerTol = fromSensor ? sensorTolerance : p.lowerTolerance;
    l.upper = std::min(s16(p.teachValue + l.upperTol), pixelCount - 1);
    l.lower = std::max(s16(p.teachValue - l.lowerTol), 1);
    return l;
}

bool withinTolerance(const ToleranceLimits& limits, int value) {
    return value >= limits.lower && value <= limits.upper;
}

double pixelsToMm(int pixels, std::uint32_t umSlope) {
    return static_cast<double>(pixels) * umSlope / 1024000.0;
}

}  // namespace korvo
