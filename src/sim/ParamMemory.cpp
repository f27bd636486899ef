#include "sim/ParamMemory.h"

namespace korvo::sim {

ParamMemory ParamMemory::factory(std::uint16_t serial, std::uint16_t pixelCount, int baudIndex) {
    ParamHalf h0{};
    h0[p0::kPower] = static_cast<std::uint16_t>(500 + serial % 7 * 10);
    h0[p0::kPowerMode] = 1;
    h0[p0::kPolarity] = 1;
    h0[p0::kEvalMode] = 1;
    h0[p0::kEvalBegin] = 1;
    h0[p0::kEvalEnd] = pixelCount;
    // Near the right edge's resting place, so the output state moves in and out of tolerance.
    h0[p0::kTeachValue] =
        static_cast<std::uint16_t>(pixelCount * 3 / 5 + static_cast<int>(serial % 41) - 20);
    h0[p0::kUpperTol] = static_cast<std::uint16_t>(100 + serial % 5 * 10);
    h0[p0::kLowerTol] = static_cast<std::uint16_t>(100 + serial % 3 * 10);
    h0[p0::kAverage] = 1;
    h0[p0::kHardwareMode] = 1;

    ParamHalf h1{};
    h1[p1::kVideoThdFix] = 40;
    h1[p1::kVideoThdAuto] = 70;
    h1[p1::kRs232Baud] = static_cast<std::uint16_t>(baudIndex < 0 ? 1 : baudIndex);
    h1[p1::kSlopeLow] = 1024;
    h1[p1::kOffsetLow] = 32767;

    ParamMemory m;
    m.ram = {h0, h1};
    m.eeprom = m.ram;
    return m;
}

std::uint32_t ParamMemory::slope() const {
    return ram[1][p1::kSlopeLow] | (static_cast<std::uint32_t>(ram[1][p1::kSlopeHigh]) << 16);
}

std::uint32_t ParamMemory::offset() const {
    return ram[1][p1::kOffsetLow] | (static_cast<std::uint32_t>(ram[1][p1::kOffsetHigh]) << 16);
}

void ParamMemory::setCalibration(std::uint32_t slope, std::uint32_t offset) {
    ram[1][p1::kSlopeLow] = static_cast<std::uint16_t>(slope & 0xFFFF);
    ram[1][p1::kSlopeHigh] = static_cast<std::uint16_t>(slope >> 16);
    ram[1][p1::kOffsetLow] = static_cast<std::uint16_t>(offset & 0xFFFF);
    ram[1][p1::kOffsetHigh] = static_cast<std::uint16_t>(offset >> 16);
}

}  // namespace korvo::sim
