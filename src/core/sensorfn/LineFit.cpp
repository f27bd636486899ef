#include "core/sensorfn/LineFit.h"

#include <cmath>
#include <vector>

namespace korvo {

int LinFit(std::span<const double> x, std::span<const double> y, std::span<double> fitted,
           double& slope, double& intercept, double& meanSquaredError) {
    if (x.size() != y.size() || fitted.size() != x.size()) return kLinFitSizeMismatch;
    const std::size_t n = x.size();
    if (n < 2) return kLinFitTooFewPoints;

    // Centred sums: stable for sensor values far from zero.
    double meanX = 0.0;
    double meanY = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        meanX += x[i];
        meanY += y[i];
    }
    meanX /= static_cast<double>(n);
    meanY /= static_cast<double>(n);

    double sxx = 0.0;
    double sxy = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const double dx = x[i] - meanX;
        sxx += dx * dx;
        sxy += dx * (y[i] - meanY);
    }
    if (!(sxx > 0.0) || !std::isfinite(sxx) || !std::isfinite(sxy)) return kLinFitDegenerate;

    double s = sxy / sxx;
    double b = meanY - s * meanX;
    if (n == 2) {
        // Two points: the line through both, computed the direct way so that the result is
        // exactly (y2 - y1) / (x2 - x1) and y1 - slope * x1. The saved values are truncated to
        // integers, so a last-digit difference could otherwise change them.
        s = (y[1] - y[0]) / (x[1] - x[0]);
        b = y[0] - s * x[0];
    }
    std::vector<double> values(n);
    double squares = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        values[i] = s * x[i] + b;
        const double r = values[i] - y[i];
        squares += r * r;
    }
    for (std::size_t i = 0; i < n; ++i) fitted[i] = values[i];
    slope = s;
    intercept = b;
    meanSquaredError = squares / static_cast<double>(n);
    return kLinFitOk;
}

}  // namespace korvo
