#include "sim/SensorModel.h"

#include <array>

namespace korvo::sim {

namespace {
constexpr std::array<int, 5> kBaudRates = {9600, 19200, 38400, 57600, 115200};
}

std::uint16_t modelPixelCount(std::uint16_t family, std::uint16_t variant, std::uint16_t firmware) {
    const bool newFw = firmware >= 316;
    switch (family) {
        case 1:
            if (variant == 80) return firmware == 310 ? 4096 : 8192;
            break;
        case 2:
            if (variant == 250 || variant == 350) return 4096;
            break;
        case 3:
            if (variant == 120) return 2048;
            break;
        case 4:
            if (variant == 60 || variant == 20160) return newFw ? 4096 : 2048;
            if (variant == 20162) return 1792;
            break;
        case 6:
            if (variant == 20280) return 16384;
            break;
        case 101:
            if (variant == 160 || variant == 20160) return newFw ? 2048 : 1024;
            break;
        case 102:
            if (variant == 500 || variant == 20500) return newFw ? 6144 : 3072;
            if (variant == 510) return 768;
            break;
        case 103:
            if (variant == 750) return newFw ? 9216 : (firmware <= 310 ? 2360 : 4720);
            if (variant == 20750) return newFw ? 9216 : 4608;
            break;
        case 104:
            if (variant == 1000) return newFw ? 12288 : (firmware <= 310 ? 3072 : 6144);
            if (variant == 21000) return newFw ? 12288 : 6144;
            break;
        default:
            break;
    }
    return 4096;
}

std::uint16_t effectivePixelCount(const SensorConfig& config) {
    if (config.pixelCount != 0) return config.pixelCount;
    return modelPixelCount(config.family, config.variant, config.firmware);
}

QByteArray modelSuffix(std::uint16_t family, std::uint16_t variant) {
    struct Row {
        std::uint16_t family, variant;
        const char* suffix;
    };
    static constexpr Row kRows[] = {
        {1, 80, "-8"},           {2, 250, "-25"},         {2, 350, "-35"},
        {3, 120, "-12"},         {4, 60, "-(F)-6"},       {4, 20160, "-(F)-6-CL"},
        {4, 20162, "-(F)-6-CL"}, {6, 20280, "-28-CL"},    {101, 20160, "-16-CL"},
        {101, 160, "-(F)-16"},   {102, 500, "-50"},       {102, 20500, "-50-CL"},
        {102, 510, "-50"},       {103, 750, "-75"},       {103, 20750, "-75-CL"},
        {104, 1000, "-100"},     {104, 21000, "-100-CL"},
    };
    for (const Row& r : kRows) {
        if (r.family == family && r.variant == variant) return r.suffix;
    }
    return {};
}

QByteArray firmwareTextFor(const SensorConfig& config) {
    QByteArray text = config.firmwareText;
    if (text.isEmpty()) {
        text = config.firmwareId + modelSuffix(config.family, config.variant) + " V" +
               QByteArray::number(config.firmware / 100) + '.' +
               QByteArray::number(config.firmware % 100).rightJustified(2, '0') + " VIRTUAL SN" +
               QByteArray::number(config.serial);
    }
    text.truncate(kFirmwareTextBytes);
    text.append(kFirmwareTextBytes - text.size(), '\0');
    return text;
}

int baudForIndex(int index) {
    if (index < 0 || index >= static_cast<int>(kBaudRates.size())) return -1;
    return kBaudRates[index];
}

int indexForBaud(int baud) {
    for (std::size_t i = 0; i < kBaudRates.size(); ++i) {
        if (kBaudRates[i] == baud) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace korvo::sim
