#pragma once
// The 256-entry profile buffers shared by video mode, the threshold functions and the panel
// binding.

#include "core/params/ParamSet.h"

namespace korvo {

struct VideoBuffers {
    ProfileArray video{};           // the CCD profile, block-read selector 0
    ProfileArray thresholdArray{};  // the threshold curve read back from the sensor
    ProfileArray thresholdLine{};   // the fixed threshold in video units
    ProfileArray autoCurve{};       // the automatic threshold curve
};

// Video full scale x Video-Thd-Fix / 100 (integer division), the fixed threshold in video units;
// saturated at 65535, which no real model reaches with a threshold within 10..950.
std::uint16_t thresholdLineValue(std::uint16_t videoFullScale, std::uint16_t videoThdFix);
// Every entry of the threshold line = thresholdLineValue().
void fillThresholdLine(VideoBuffers& buffers, std::uint16_t videoFullScale,
                       std::uint16_t videoThdFix);
// The automatic threshold at `percent` of the profile: every entry i of the auto threshold curve
// = video[i] x percent / 100 (integer division), saturated at 65535 like the threshold line.
void fillAutoCurve(VideoBuffers& buffers, std::uint16_t percent);

}  // namespace korvo
