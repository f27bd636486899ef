#pragma once
// The sensor's parameter record: two halves of 15 words, kept once in RAM (what the sensor works
// with) and once in EEPROM (what it starts with). Positions are the word numbers of each half.

#include <array>
#include <cstdint>

namespace korvo::sim {

using ParamHalf = std::array<std::uint16_t, 15>;

// Positions in half 0.
namespace p0 {
inline constexpr int kPower = 0, kPowerMode = 1, kPolarity = 2, kEvalMode = 3, kEvalBegin = 4,
                     kEvalEnd = 5, kTeachValue = 6, kUpperTol = 7, kLowerTol = 8, kAverage = 9,
                     kExtTrigger = 10, kAnalogOut = 11, kCcdMode = 12, kHardwareMode = 13,
                     kVideoThdMode = 14;
}
// Positions in half 1.
namespace p1 {
inline constexpr int kVideoThdFix = 0, kVideoThdAuto = 1, kRs232Mode = 2, kRs232Baud = 3,
                     kFilterType = 4, kAnalogZoom = 5, kIntTrigger = 6, kTriggerPixel = 7,
                     kDigitalOut = 8, kPara10 = 9, kPara11 = 10, kSlopeLow = 11, kSlopeHigh = 12,
                     kOffsetLow = 13, kOffsetHigh = 14;
}

struct ParamMemory {
    std::array<ParamHalf, 2> ram{};
    std::array<ParamHalf, 2> eeprom{};

    // Factory values, made a little different per sensor (teach value, power, tolerances) so
    // that a program that reads them visibly shows this sensor's own set.
    static ParamMemory factory(std::uint16_t serial, std::uint16_t pixelCount, int baudIndex);

    std::uint32_t slope() const;                                     // um-Slope in RAM
    std::uint32_t offset() const;                                    // um-Offset in RAM
    void setCalibration(std::uint32_t slope, std::uint32_t offset);  // into RAM
};

// Half selector of a request: 0 is half 0, any other value half 1.
inline int halfIndex(std::uint16_t argument) {
    return argument == 0 ? 0 : 1;
}

}  // namespace korvo::sim
