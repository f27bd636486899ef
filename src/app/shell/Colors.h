#pragma once
// Colours the program draws with, as 0xRRGGBB values (the platform's colour form).

#include <QColor>
#include <array>

namespace korvo {

inline constexpr QRgb kWhite = 0xFFFFFF;
inline constexpr QRgb kBlack = 0x000000;
inline constexpr QRgb kGrey = 0x808080;
inline constexpr QRgb kGreen = 0x00FF00;
inline constexpr QRgb kDarkGreen = 0x008000;
inline constexpr QRgb kRed = 0xFF0000;
inline constexpr QRgb kHeaderBlue = 0x0080FF;

// The roll graph's six traces: the two tolerance limits, the teach value, then the measured
// value and the two edges.
inline constexpr std::array<QRgb, 6> kRollTraceColors{kDarkGreen, kDarkGreen, kBlack,
                                                      kRed,       kRed,       kRed};

}  // namespace korvo
