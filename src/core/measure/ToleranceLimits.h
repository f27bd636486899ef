#pragma once
// The tolerance around the teach value: its limits in pixels by Hardware-Mode, whether a measured
// value lies within them, and a pixel count in millimetres for the readouts. The roll graph, the
// run record's readouts and the main panel's tolerance displays all use these, so the same
// tolerance never shows two colours or two last digits.

#include <cstdint>

#include "core/params/ParamSet.h"

namespace korvo {

struct ToleranceLimits {
    int upperTol = 0, lowerTol = 0;  // pixels above and below the teach value
    int upper = 0, lower = 0;        // the limits themselves, in pixels
    bool operator==(const ToleranceLimits&) const = default;
};

// Hardware-Mode 1 and 3 take the sensor's own tolerance (the run record's) on both sides, the
// other modes the Upper- and Lower-Tolerance fields. The limits are the teach value plus and minus
// these, kept as signed 16-bit values as the sensor keeps them, then held within
// 1 .. pixelCount - 1.
ToleranceLimits toleranceLimits(const ParamSet& p, int sensorTolerance, int pixelCount);

// A value on a limit is within tolerance; one pixel beyond it is not.
bool withinTolerance(const ToleranceLimits& limits, int value);

// A pixel count in millimetres at um-Slope (micrometres per pixel x 1024). Multiplied first: the
// product of the two integers is exact in a double, so only the division rounds.
double pixelsToMm(int pixels, std::uint32_t umSlope);

}  // namespace korvo
