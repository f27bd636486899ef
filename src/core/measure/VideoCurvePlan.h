#pragma once
// Which threshold curve the video graph draws beside the profile, and the binarised profile the
// Raw toggle shows.

#include <cstdint>

#include "core/params/VideoBuffers.h"

namespace korvo {

enum class ThresholdCurve { Line, AutoCurve, Array };

// Fixed threshold mode draws the threshold line; automatic mode the auto threshold curve with
// Raw on and the threshold array read from the sensor with Raw off.
ThresholdCurve curveToDraw(int videoThdMode, bool raw);

// Raw compares against the threshold line in fixed mode, else against the threshold array.
const ProfileArray& rawThreshold(const VideoBuffers& v, int videoThdMode);

// Each sample above its threshold entry becomes full scale - 1, every other 0. The stored
// profile is left alone: only what is drawn is binarised.
ProfileArray binarised(const ProfileArray& video, const ProfileArray& threshold,
                       std::uint16_t videoFullScale);

}  // namespace korvo
