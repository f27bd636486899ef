#include "core/measure/VideoCurvePlan.h"

namespace korvo {

ThresholdCurve curveToDraw(int videoThdMode, bool raw) {
    if (videoThdMode == 0) return ThresholdCurve::Line;
    return raw ? ThresholdCurve::AutoCurve : ThresholdCurve::Array;
}

const ProfileArray& rawThreshold(const VideoBuffers& v, int videoThdMode) {
    return videoThdMode == 0 ? v.thresholdLine : v.thresholdArray;
}

ProfileArray binarised(const ProfileArray& video, const ProfileArray& threshold,
                       std::uint16_t videoFullScale) {
    ProfileArray out{};
    const auto high = static_cast<std::uint16_t>(videoFullScale - 1);
    for (int i = 0; i < kProfileSamples; ++i) out[i] = video[i] > threshold[i] ? high : 0;
    return out;
}

}  // namespace korvo
