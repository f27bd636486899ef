#pragma once
// Draws the CCD profile and a second curve into the scope window's profile graph.

#include <array>

#include "core/params/ParamSet.h"

namespace korvo {

struct ScopeApp;

// Deletes the graph's plots, turns auto refresh off, plots `video` in red and `curve` in green
// over `x`, and refreshes the graph once.
void PlotVIDEOCurve(ScopeApp& app, const ProfileArray& video, const ProfileArray& curve,
                    const std::array<double, 256>& x);

}  // namespace korvo
