#pragma once
// The Recorder panel's four time displays: elapsed recording time, or the expected duration of a
// recording while samples and time step are edited.

#include <cstdint>
#include <optional>

namespace korvo {

struct RecorderTime {
    std::uint16_t days = 0;
    std::uint16_t hours = 0;
    std::uint16_t minutes = 0;
    std::uint16_t seconds = 0;
    bool operator==(const RecorderTime&) const = default;
};

// Splits whole seconds by integer division: 176461 -> 2 days, 1 hour, 1 minute, 1 second. Each
// part is what its unsigned 16-bit display shows.
RecorderTime splitRecorderTime(std::int32_t seconds);

// Expected duration in whole seconds (samples x step, truncated), shown after the samples field
// changed: only while samples is below 32000.
std::optional<std::int32_t> expectedDurationAfterSamplesEdit(std::uint16_t samples, double step);

// The same after the time-increment field changed: only while the step is below 3600 s.
std::optional<std::int32_t> expectedDurationAfterStepEdit(std::uint16_t samples, double step);

// The time-increment value that reveals the service controls of the Calib panel.
inline constexpr double kRecorderServiceStep = 8317.0;

}  // namespace korvo
