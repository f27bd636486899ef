#include "sim/LiveMeasurement.h"

#include <algorithm>
#include <cmath>

namespace korvo::sim {

namespace {
constexpr double kTwoPi = 6.283185307179586;
constexpr double kDarkLevel = 0.06;    // share of the light that passes the object
constexpr double kNoiseShare = 0.015;  // profile noise, share of full scale

std::uint16_t clampWord(double v, double lo, double hi) {
    return static_cast<std::uint16_t>(std::lround(std::clamp(v, lo, hi)));
}
}  // namespace

LiveMeasurement::LiveMeasurement(std::uint16_t pixelCount, std::uint16_t videoResolution,
                                 bool noise, std::uint32_t seed)
    : pixelCount_(pixelCount == 0 ? 4096 : pixelCount),
      fullScale_(static_cast<std::uint16_t>(videoResolution > 1 ? videoResolution - 1 : 255)),
      noise_(noise),
      rng_(seed),
      profileRng_(seed ^ 0x5BD1E995u) {
    resetHold();
    advanceTo(0.0);
}

void LiveMeasurement::advanceTo(double seconds) {
    if (pinned_) return;
    const double pc = pixelCount_;
    const double centre = pc / 2 + pc / 40 * std::sin(kTwoPi * seconds / 17.0);
    const double width = pc / 5 + pc / 100 * std::sin(kTwoPi * seconds / 7.3);
    double jitterL = 0, jitterR = 0;
    if (noise_) {
        std::uniform_real_distribution<double> d(-1.0, 1.0);
        jitterL = d(rng_);
        jitterR = d(rng_);
    }
    left_ = clampWord(centre - width / 2 + jitterL, 1, pc);
    right_ = clampWord(centre + width / 2 + jitterR, 1, pc);
    edgeCount_ = 2;
}

void LiveMeasurement::pin(std::uint16_t left, std::uint16_t right, std::uint16_t edgeCount) {
    pinned_ = true;
    left_ = left;
    right_ = right;
    edgeCount_ = edgeCount;
}

void LiveMeasurement::pinHere() {
    pinned_ = true;
}

void LiveMeasurement::resume() {
    pinned_ = false;
}

std::uint16_t LiveMeasurement::measured(const ParamMemory& params) const {
    if (edgeCount_ == 0) return 0;
    switch (params.ram[0][p0::kEvalMode]) {
        case 0:
            return left_;
        case 1:
            return edgeCount_ >= 2 ? right_ : left_;
        default:
            return edgeCount_ >= 2 ? static_cast<std::uint16_t>((left_ + right_) / 2) : left_;
    }
}

std::uint32_t LiveMeasurement::micrometres(const ParamMemory& params) const {
    // The sensor keeps slope x 1024 and offset + 32767; a result below zero reads as zero.
    const std::int64_t um = static_cast<std::int64_t>(measured(params)) * params.slope() / 1024 +
                            (static_cast<std::int64_t>(params.offset()) - 32767);
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(um, 0, 0xFFFFFFFFLL));
}

void LiveMeasurement::hold(std::uint16_t value) {
    max_ = std::max(max_, value);
    min_ = std::min(min_, value);
}

void LiveMeasurement::resetHold() {
    max_ = 0;
    min_ = static_cast<std::uint16_t>(pixelCount_ - 1);
}

RunRecordWords LiveMeasurement::runRecord(const ParamMemory& params) {
    const ParamHalf& h0 = params.ram[0];
    const std::uint16_t value = measured(params);
    const std::uint32_t um = micrometres(params);
    if (edgeCount_ > 0) hold(value);

    const std::uint16_t mode = h0[p0::kHardwareMode];
    const bool hwTol = mode == 1 || mode == 3;
    const int teach = h0[p0::kTeachValue];
    const int up = hwTol ? hardwareTolerance() : h0[p0::kUpperTol];
    const int low = hwTol ? hardwareTolerance() : h0[p0::kLowerTol];
    std::uint16_t outputs = 0;
    if (edgeCount_ > 0) {
        if (value > teach + up)
            outputs = 1;
        else if (value < teach - low)
            outputs = 2;
    }

    RunRecordWords w{};
    w[0] = left_;
    w[1] = right_;
    w[2] = value;
    w[3] = static_cast<std::uint16_t>(um & 0xFFFF);
    w[4] = static_cast<std::uint16_t>(um >> 16);
    w[5] = h0[p0::kTeachValue];
    w[6] = hardwareTolerance();
    w[7] = edgeCount_;
    w[8] = left_;
    w[9] = edgeCount_ >= 2 ? right_ : pixelCount_;
    w[11] = max_;
    w[12] = min_;
    w[13] = outputs;
    w[15] = edgeCount_ >= 2 ? static_cast<std::uint16_t>(std::max(0, right_ - left_)) : 0;
    return w;
}

RecordWords LiveMeasurement::record(const ParamMemory& params) {
    const RunRecordWords r = runRecord(params);
    return {r[2], r[0], r[1], r[3], r[4], r[7], r[15]};
}

double LiveMeasurement::brightAt(double pixel) const {
    // The laser band is brightest in the middle and falls off a little toward the ends.
    const double u = (pixel / pixelCount_ - 0.5) * 2.0;
    return 0.8 * fullScale_ * (1.0 - 0.2 * u * u);
}

Profile LiveMeasurement::profileOf(const Edges& e) {
    const double step = pixelCount_ / 256.0;
    const double edgeWidth = step * 0.6;
    std::normal_distribution<double> noise(0.0, kNoiseShare * fullScale_);
    Profile p{};
    for (int i = 0; i < 256; ++i) {
        const double x = i * step;
        double inside = 0.0;  // 1 where the object shades the line
        if (e.count >= 1) {
            const double fromLeft = 1.0 / (1.0 + std::exp(-(x - e.left) / edgeWidth));
            const double toRight =
                e.count >= 2 ? 1.0 / (1.0 + std::exp(-(e.right - x) / edgeWidth)) : 1.0;
            inside = fromLeft * toRight;
        }
        double v = brightAt(x) * (1.0 - (1.0 - kDarkLevel) * inside);
        if (noise_) v += noise(profileRng_);
        p[i] = clampWord(v, 0, fullScale_);
    }
    return p;
}

Profile LiveMeasurement::thresholdCurve(int percent, bool withNoise) {
    const double step = pixelCount_ / 256.0;
    std::normal_distribution<double> noise(0.0, kNoiseShare * fullScale_);
    Profile p{};
    for (int i = 0; i < 256; ++i) {
        double v = brightAt(i * step);
        if (withNoise && noise_) v += noise(rng_);
        p[i] = clampWord(v * percent / 100.0, 0, fullScale_);
    }
    return p;
}

}  // namespace korvo::sim
