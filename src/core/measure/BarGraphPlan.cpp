#include "core/measure/BarGraphPlan.h"

#include <algorithm>

#include "core/measure/ToleranceLimits.h"

namespace korvo {

namespace {

int edgePosition(const RunRecord& r, int evalMode) {
    if (evalMode == 0) return r.leftEdge;
    if (evalMode == 1) return r.rightEdge;
    if (r.leftEdge == 0 || r.rightEdge == 0) return 1;
    return (r.leftEdge + r.rightEdge) / 2;
}

int analogReadout(const RunRecord& r, int analogOutMode) {
    switch (analogOutMode) {
        case 1:
            return r.maximumValue;
        case 2:
            return r.minimumValue;
        case 3:
            return r.maximumValue - r.minimumValue;
        default:
            return r.measuredValue;
    }
}

std::vector<PlotBand> edgeBands(const RunRecord& r, const ModelState& m) {
    if (r.edgeCount == 0) return {};
    if (r.edgeCount == 1) {
        // One edge: the shadow lies on the side that extent A and B tell.
        if (r.edgeExtentA < r.edgeExtentB) return {{double(r.leftEdge), double(m.lastPixel)}};
        return {{1.0, double(r.leftEdge)}};
    }
    return {{double(r.leftEdge), double(r.rightEdge)}};
}

std::vector<PlotBand> windowBands(const RunRecord& r, const ParamSet& p, int pixelCount, int cursor,
                                  int up, int low) {
    const auto raised = [](int x) { return x < 0 ? 1 : x; };
    const auto capped = [pixelCount](int x) { return x > pixelCount - 1 ? pixelCount : x; };
    if (p.evalMode == 2) {
        // Centre mode: a window around each edge, half the teach value away from the centre.
        if (r.edgeCount == 0) return {};
        const int t = p.teachValue / 2;
        const int u = up / 2;
        const int l = low / 2;
        return {{double(raised(cursor - t - u)), double(capped(cursor - t + l))},
                {double(cursor + t - l), double(cursor + t + u)}};
    }
    return {{double(raised(p.teachValue - low)), double(capped(p.teachValue + up))}};
}

}  // namespace

BarGraphPlan planBarGraph(const RunRecord& r, const ParamSet& p, const ModelState& m) {
    BarGraphPlan out;
    out.leftEdge = r.leftEdge;
    out.rightEdge = r.rightEdge;
    out.measured = r.measuredValue;
    out.maximum = r.maximumValue;
    out.minimum = r.minimumValue;
    out.darkPixels = r.darkPixelCount;
    out.output1 = r.outputState == 1 || r.outputState == 3;
    out.output2 = r.outputState == 2 || r.outputState == 3;
    if (p.intTriggerMode > 0) out.triggered = r.darkPixelCount > p.triggerPixel;
    out.analog = analogReadout(r, p.analogOutMode);

    const int pixelCount = m.pixelCount;
    const ToleranceLimits tol = toleranceLimits(p, r.hardwareTolerance, pixelCount);
    out.upperTolMm = pixelsToMm(tol.upperTol, p.umSlope);
    out.lowerTolMm = pixelsToMm(tol.lowerTol, p.umSlope);
    out.measuredMm = r.measuredUm / 1000.0;
    out.outside = !withinTolerance(tol, r.measuredValue);

    int cursor = edgePosition(r, p.evalMode);
    cursor = std::max<int>(cursor, m.firstPixel);
    cursor = std::min<int>(cursor, m.lastPixel);
    cursor = std::clamp(cursor, 1, std::max(1, pixelCount));
    out.edgeCursor = cursor;
    out.edgeBands = edgeBands(r, m);
    out.windowBands = windowBands(r, p, pixelCount, cursor, tol.upperTol, tol.lowerTol);
    return out;
}

}  // namespace korvo
