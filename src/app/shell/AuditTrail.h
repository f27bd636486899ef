#pragma once
// The window's writes to its sensors go on record: one row per operation in the audit log korvo
// writes too (core/audit/AuditLog.h), naming the sensor by what the window last learnt of it on
// that port. A log that cannot be written changes nothing on the sensor; the main status line's
// tool tip says why.

#include <QString>
#include <optional>
#include <vector>

#include "core/audit/AuditLog.h"
#include "core/params/ParamSet.h"

namespace korvo {

struct ScopeApp;

// Puts the write on record once it has ended; `reason` says why it failed.
void recordWrite(ScopeApp& app, int com, const QString& operation, std::vector<AuditChange> changes,
                 bool ok, const QString& reason = {});

// The set the sensor on the scope window's port holds in `memory` (RAM or EEPROM) as far as the
// window knows: what it last read from there or wrote there on this port. Empty when unknown.
std::optional<ParamSet> knownSensorSet(const ScopeApp& app, int memory);
// The scope window's parameter set was read from `memory`, or written there.
void noteSensorSet(ScopeApp& app, int memory);

}  // namespace korvo
