#pragma once
// Least-squares straight line through n points, as the calibration needs it.

#include <span>

namespace korvo {

inline constexpr int kLinFitOk = 0;
inline constexpr int kLinFitSizeMismatch = -1;  // x, y and fitted differ in length
inline constexpr int kLinFitTooFewPoints = -2;  // fewer than two points
inline constexpr int kLinFitDegenerate = -3;    // all x equal (or not finite): no single line

// Fits y = slope * x + intercept. On success fills fitted[i] = slope * x[i] + intercept, the mean
// squared error of the fitted values against y, and returns kLinFitOk. On failure returns a
// negative code and leaves every output unchanged.
int LinFit(std::span<const double> x, std::span<const double> y, std::span<double> fitted,
           double& slope, double& intercept, double& meanSquaredError);

}  // namespace korvo
