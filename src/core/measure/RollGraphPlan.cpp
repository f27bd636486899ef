#include "core/measure/RollGraphPlan.h"

#include <algorithm>

#include "core/measure/ToleranceLimits.h"

namespace korvo {

namespace {

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
    const ToleranceLimits tol = toleranceLimits(p, r.hardwareTolerance, pixelCount);
    out.upperTolMm = pixelsToMm(tol.upperTol, p.umSlope);
    out.lowerTolMm = pixelsToMm(tol.lowerTol, p.umSlope);
    out.outside = !withinTolerance(tol, v);

    // The zoom range: twice the tolerance either side, at least 40 pixels; a value beyond it
    // widens it past the value by a margin.
    const int u = tol.upperTol;
    const int l = tol.lowerTol;
    int ymin = l < 40 ? t - 40 : t - 2 * l;
    if (v < ymin) ymin = v - (l < 40 ? 60 : 100);
    int ymax = u < 40 ? t + 40 : t + 2 * u;
    if (v > ymax) ymax = v + (u < 40 ? 60 : 100);
    const int top = pixelCount - 1;
    out.ymax = std::min(ymax, top);
    out.ymin = std::max(ymin, 1);

    s.upper = tol.upper;
    s.lower = tol.lower;
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
