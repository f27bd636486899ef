#pragma once
// The state derived from the connected sensor's hardware information, read by the panel binding,
// the plots and the sensor functions.

#include <array>
#include <cstdint>

namespace korvo {

struct HardwareInfo {
    std::uint16_t familyCode = 0;  // word 2
    std::uint16_t word3 = 0;
    std::uint16_t word4 = 0;
    std::uint16_t word5 = 0;
    std::uint16_t pixelCount = 0;  // word 6 as reported
    std::uint16_t word7 = 0;
    std::uint16_t word8 = 0;
    std::uint16_t word9 = 0;
    std::uint16_t firmwareVersion = 0;  // word 10, version x 100
    std::uint16_t variantCode = 0;      // word 11
    std::uint16_t videoResolution = 0;  // word 12
};

struct ModelState {
    std::uint16_t pixelCount = 4096;
    std::array<double, 256> videoX{};  // entry i = 4 x i at start-up
    std::uint16_t firstPixel = 1;
    std::uint16_t lastPixel = 1024;
    std::uint16_t videoFullScale = 255;
    std::uint16_t hardwareType = 0;  // 1 three outputs, 3 two-output -CL model, 0 not yet known
    std::uint16_t familyCode = 0;
    std::uint16_t variantCode = 80;
    std::uint16_t firmwareVersion = 0;
    HardwareInfo info;  // the last stored hardware-info words

    ModelState() { resetToStartup(); }
    void resetToStartup() {
        pixelCount = 4096;
        for (int i = 0; i < 256; ++i) videoX[i] = 4.0 * i;
        firstPixel = 1;
        lastPixel = 1024;
        videoFullScale = 255;
        hardwareType = 0;
        familyCode = 0;
        variantCode = 80;
        firmwareVersion = 0;
        info = {};
    }
};

}  // namespace korvo
