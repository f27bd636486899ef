#include "core/measure/RollGraphPlan.h"

#include <algorithm>

namespace korvo {

namespace {

// The limits are kept as signed 16-bit values.
int s16(int v) {
    return static_cast<std::int16_t>(v);
}

// Markers by Analog-Out-Mode; modes 4 to 7 keep the starting values.
void markers(const RunRecord& r, const ParamSet& p, std::uint16_t pixelCount, RollSample& s) {
    double a = pixelCount - 1;
    double b = 1;
    const double v = r.measuredValue;
    switch (p.analogOutMode) {
        case 0:
            a = b = v;
            break;
        case 1:
            b = r.maximumValue;
            a = v;
            break;
        case 2:
            a = r.minimumValue;
            b = v;
            // A minimum at the last pixel means nothing is held yet.
            if (r.minimumValue == pixelCount - 1) a = 1;
            break;
        case 3:
            b = r.maximumValue;
            a = r.minimumValue;
            break;
        default:
            break;
    }
    s.markerA = a;
    s.markerB = b;
}

}  // namespace

RollStep planRollStep(const RunRecord& r, const ParamSet& p, std::uint16_t pixelCount) {
    RollStep out;
    RollSample& s = out.sample;
    markers(r, p, pixelCount, s);

    const int t = p.teachValue;
    const int v = r.measuredValue;
    const double mmPerPixel = p.umSlope / 1024000.0;
    int upper = 0, lower = 0, ymin = 0, ymax = 0;
    if (p.hardwareMode == 1 || p.hardwareMode == 3) {
        const int h = r.hardwareTolerance;
        out.upperTolMm = out.lowerTolMm = h * mmPerPixel;
        upper = s16(t + h);
        lower = s16(t - h);
        const bool narrow = h < 40;
        const int span = narrow ? 40 : 2 * h;
        const int margin = narrow ? 60 : 100;
        ymin = t - span;
        ymax = t + span;
        if (v > ymax) ymax = v + margin;
        if (v < ymin) ymin = v - margin;
    } else {
        const int u = p.upperTolerance;
        const int l = p.lowerTolerance;
        out.upperTolMm = u * mmPerPixel;
        out.lowerTolMm = l * mmPerPixel;
        upper = s16(t + u);
        lower = s16(t - l);
        ymin = l < 40 ? t - 40 : t - 2 * l;
        if (v < ymin) ymin = v - (l < 40 ? 60 : 100);
        ymax = u < 40 ? t + 40 : t + 2 * u;
        if (v > ymax) ymax = v + (u < 40 ? 60 : 100);
    }
    const int top = pixelCount - 1;
    upper = std::min(upper, top);
    lower = std::max(lower, 1);
    out.ymax = std::min(ymax, top);
    out.ymin = std::max(ymin, 1);
    out.outside = v > upper || v < lower;

    s.upper = upper;
    s.lower = lower;
    s.teach = t;
    s.value = v;
    return out;
}

void RollBuffer::push(const RollSample& s) {
    std::copy(values_.begin() + kRollTraces, values_.end(), values_.begin());
    auto* newest = values_.end() - kRollTraces;
    newest[0] = s.upper;
    newest[1] = s.lower;
    newest[2] = s.teach;
    newest[3] = s.value;
    newest[4] = s.markerA;
    newest[5] = s.markerB;
}

}  // namespace korvo
