#pragma once
// Applies a sensor's model profile (from its hardware information) to the scope window: the
// Calib panel's info lines, the CCD switch, the IN0 and output mode lists, dimmed controls, the
// decimals of the measured-value and tolerance displays, the threshold target switch and the
// axes of the profile and roll graphs.

namespace korvo {

struct ScopeApp;
struct ModelProfile;

void applyModelProfile(ScopeApp& app, const ModelProfile& profile);

}  // namespace korvo
