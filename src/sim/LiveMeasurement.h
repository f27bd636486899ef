#pragma once
// The sensor's measurement: two shadow edges that drift slowly over the line receiver, the
// evaluated value with its micrometre form, the max/min hold and the 256-sample CCD profile with
// a dark dip between the edges. Tests can pin the edges for deterministic results.

#include <array>
#include <cstdint>
#include <random>

#include "sim/ParamMemory.h"

namespace korvo::sim {

using RunRecordWords = std::array<std::uint16_t, 16>;
using RecordWords = std::array<std::uint16_t, 7>;
using Profile = std::array<std::uint16_t, 256>;

class LiveMeasurement {
public:
    LiveMeasurement(std::uint16_t pixelCount, std::uint16_t videoResolution, bool noise,
                    std::uint32_t seed);

    // Moves the edges to where they are `seconds` after the start (unless pinned).
    void advanceTo(double seconds);
    // Pins the edges: nothing moves and no jitter is added until resume().
    void pin(std::uint16_t left, std::uint16_t right, std::uint16_t edgeCount);
    void pinHere();  // pins the edges where they are now
    void resume();
    bool pinned() const { return pinned_; }

    std::uint16_t left() const { return left_; }
    std::uint16_t right() const { return right_; }
    std::uint16_t edgeCount() const { return edgeCount_; }
    std::uint16_t pixelCount() const { return pixelCount_; }
    std::uint16_t fullScale() const { return fullScale_; }

    // Evaluated value per Eval-Mode: 0 left edge, 1 right edge, 2 and above the centre.
    std::uint16_t measured(const ParamMemory& params) const;
    std::uint32_t micrometres(const ParamMemory& params) const;
    std::uint16_t hardwareTolerance() const { return static_cast<std::uint16_t>(pixelCount_ / 64); }

    // A measurement as the raw-data reply carries it; updates the max/min hold.
    RunRecordWords runRecord(const ParamMemory& params);
    // A measurement as the record reply carries it; updates the max/min hold.
    RecordWords record(const ParamMemory& params);
    void resetHold();
    std::uint16_t holdMax() const { return max_; }
    std::uint16_t holdMin() const { return min_; }

    // The edges as they stand, to compute their profile later (profileOf()).
    struct Edges {
        std::uint16_t left = 0, right = 0, count = 0;
    };
    Edges edges() const { return {left_, right_, edgeCount_}; }
    // The CCD profile now (with noise when enabled).
    Profile profile() { return profileOf(edges()); }
    // The CCD profile the line receiver shows with these edges (with noise when enabled). Its
    // noise comes from a random stream of its own, so when a profile is computed does not
    // change the edge jitter.
    Profile profileOf(const Edges& e);
    // The profile with nothing in the light path, scaled by percent / 100: what storing the
    // automatic threshold keeps.
    Profile thresholdCurve(int percent, bool withNoise);

private:
    double brightAt(double pixel) const;
    void hold(std::uint16_t value);

    std::uint16_t pixelCount_;
    std::uint16_t fullScale_;
    bool noise_;
    std::mt19937 rng_;
    std::mt19937 profileRng_;
    bool pinned_ = false;
    std::uint16_t left_ = 0, right_ = 0, edgeCount_ = 2;
    std::uint16_t max_ = 0, min_ = 0;
};

}  // namespace korvo::sim
