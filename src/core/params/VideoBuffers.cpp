#include "core/params/VideoBuffers.h"

namespace korvo {

std::uint16_t thresholdLineValue(std::uint16_t videoFullScale, std::uint16_t videoThdFix) {
    const std::uint32_t v = std::uint32_t{videoFullScale} * videoThdFix / 100u;
    return static_cast<std::uint16_t>(v > 0xFFFFu ? 0xFFFFu : v);
}

void fillThresholdLine(VideoBuffers& buffers, std::uint16_t videoFullScale,
                       std::uint16_t videoThdFix) {
    buffers.thresholdLine.fill(thresholdLineValue(videoFullScale, videoThdFix));
}

void fillAutoCurve(VideoBuffers& buffers, std::uint16_t percent) {
    for (std::size_t i = 0; i < buffers.video.size(); ++i)
        buffers.autoCurve[i] = thresholdLineValue(buffers.video[i], percent);
}

}  // namespace korvo
