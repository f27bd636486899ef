#pragma once
// GET and SEND of the parameter set: both halves from/to the sensor's RAM or EEPROM, or the
// parameter file.

#include <cstdint>

#include "core/link/SensorLink.h"  // MemoryTarget: kMemoryRam, kMemoryEeprom, kMemoryFile

namespace korvo {

struct ScopeApp;

// Reads parameter half `half` (0 = para0, 1 = para1) from `target` on COM port `port`; after
// para1 (or from the File target) all panels show the set. Returns 1 when the half arrived (or
// for the File target), -1 on a time-out.
int PushGET(ScopeApp& app, int target, std::uint16_t half, std::uint16_t port);
// Sends parameter half `half` as held in the parameter set to RAM or EEPROM (the caller reads
// the panels first). Returns 1 when acknowledged, -1 on a time-out.
int PushSEND(ScopeApp& app, int target, std::uint16_t half, std::uint16_t port);

// Reads the stored threshold curve (block-read selector from the threshold target switch) into
// the threshold array, redraws the profile graph and sets the selector back to 0. Returns 1 when
// all four blocks came, else 0 (the curve then holds what came).
int GetEEThreshold(ScopeApp& app);

}  // namespace korvo
