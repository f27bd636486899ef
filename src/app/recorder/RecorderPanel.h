#pragma once
// The Recorder panel: the data file, START and stop of a recording, the RS-232 mode list, the
// samples and time-increment fields with the expected duration, and their help texts. The
// recording itself is core's (RecordingSession); this panel starts it and shows it.

#include <cstdint>

namespace korvo {

struct ScopeApp;

// Shows whole seconds split into days, hours, minutes and seconds in the four time displays.
void ShowRecorderTime(ScopeApp& app, std::int32_t seconds);

void registerRecorderCallbacks(ScopeApp& app);

}  // namespace korvo
