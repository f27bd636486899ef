#pragma once
// Model-row facts the virtual sensor needs: the pixel count a family/variant/firmware reports, the
// designation suffix for its firmware text, and the baud-rate index table.

#include <QByteArray>
#include <cstdint>

#include "sim/SensorConfig.h"

namespace korvo::sim {

// Pixel count of the model row (4096 for rows we do not know).
std::uint16_t modelPixelCount(std::uint16_t family, std::uint16_t variant, std::uint16_t firmware);
// The pixel count a sensor with this configuration reports.
std::uint16_t effectivePixelCount(const SensorConfig& config);
// Designation suffix after the firmware ID, e.g. "-8" or "-75-CL"; empty when unknown.
QByteArray modelSuffix(std::uint16_t family, std::uint16_t variant);
// The 72 bytes sent for the firmware-text request.
QByteArray firmwareTextFor(const SensorConfig& config);

// Baud-rate index 0..4 -> 9600, 19200, 38400, 57600, 115200; -1 for any other index.
int baudForIndex(int index);
// The index of a rate in that table, or -1.
int indexForBaud(int baud);

}  // namespace korvo::sim
