#pragma once
// What one run record shows: the numeric readouts, the output and trigger indicators, the
// readout colour, and on the profile graph the edge cursor, the red edge rectangles and the green
// tolerance windows. Computed from the run record, the parameter set and the model; the window
// only draws it.

#include <cstdint>
#include <optional>
#include <vector>

#include "core/model/ModelState.h"
#include "core/params/ParamSet.h"

namespace korvo {

struct PlotBand {
    double x1 = 0, x2 = 0;
    bool operator==(const PlotBand&) const = default;
};

inline constexpr double kEdgeBandLow = 0.25, kEdgeBandHigh = 1.0;
inline constexpr double kWindowBandLow = 0.0, kWindowBandHigh = 0.35;
inline constexpr double kProfileCursorY = 0.75;

struct BarGraphPlan {
    int leftEdge = 0, rightEdge = 0, measured = 0;
    int analog = 0;  // the analog-output readout, by Analog-Out-Mode
    int maximum = 0, minimum = 0, darkPixels = 0;
    bool output1 = false;  // output state bit 0
    bool output2 = false;  // output state bit 1
    // Only with the internal trigger on: whether the dark-pixel count is above Trigger-Pixel.
    std::optional<bool> triggered;
    double upperTolMm = 0.0, lowerTolMm = 0.0, measuredMm = 0.0;
    bool outside = false;  // measured value beyond a limit: readouts red, else green
    double edgeCursor = 1;
    std::vector<PlotBand> edgeBands;    // y kEdgeBandLow .. kEdgeBandHigh
    std::vector<PlotBand> windowBands;  // y kWindowBandLow .. kWindowBandHigh
};

BarGraphPlan planBarGraph(const RunRecord& run, const ParamSet& p, const ModelState& m);

}  // namespace korvo
