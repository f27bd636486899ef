#pragma once
// One step of the roll graph: the six values of a run record's sample (limits, teach value,
// measured value, two markers), the zoom range of the y axis, the two tolerance readouts and the
// readout colour, computed from the run record, the parameter set and the pixel count. The
// window only draws what this returns.

#include <array>
#include <cstdint>

#include "core/params/ParamSet.h"

namespace korvo {

inline constexpr int kRollSamples = 100;
inline constexpr int kRollTraces = 6;
inline constexpr int kRollPointsPerScreen = 101;

struct RollSample {
    double upper = 0, lower = 0, teach = 0, value = 0, markerA = 0, markerB = 0;
};

struct RollStep {
    RollSample sample;
    int ymin = 0, ymax = 0;   // zoom range of the y axis
    double upperTolMm = 0.0;  // readout of the upper tolerance in millimetres
    double lowerTolMm = 0.0;  // readout of the lower tolerance in millimetres
    bool outside = false;     // measured value beyond a limit: readouts red, else green
};

RollStep planRollStep(const RunRecord& run, const ParamSet& p, std::uint16_t pixelCount);

// The y range the roll graph shows: the zoom range, or 0 .. pixel count without zoom.
inline std::array<double, 2> rollYRange(const RollStep& s, bool zoom, std::uint16_t pixelCount) {
    return zoom ? std::array<double, 2>{double(s.ymin), double(s.ymax)}
                : std::array<double, 2>{0.0, double(pixelCount)};
}

// The last 100 samples of six traces, sample-major, oldest first. Lives as long as the program
// and keeps its content between runs.
class RollBuffer {
public:
    // Shifts every sample one place toward the start and writes s as the newest.
    void push(const RollSample& s);
    const std::array<double, kRollSamples * kRollTraces>& values() const { return values_; }

private:
    std::array<double, kRollSamples * kRollTraces> values_{};
};

}  // namespace korvo
