#include "core/record/RecorderTime.h"

#include <cmath>
#include <limits>

namespace korvo {

RecorderTime splitRecorderTime(std::int32_t s) {
    const std::int32_t days = s / 86400;
    const std::int32_t rest = s - 86400 * days;
    const std::int32_t hours = rest / 3600;
    const std::int32_t minutes = (rest - 3600 * hours) / 60;
    const std::int32_t seconds = rest - 3600 * hours - 60 * minutes;
    return {static_cast<std::uint16_t>(days), static_cast<std::uint16_t>(hours),
            static_cast<std::uint16_t>(minutes), static_cast<std::uint16_t>(seconds)};
}

namespace {

std::int32_t truncatedDuration(std::uint16_t samples, double step) {
    const double total = std::trunc(static_cast<double>(samples) * step);
    // Field limits keep this far inside the range; clamp anyway rather than overflow.
    if (!(total > std::numeric_limits<std::int32_t>::min())) return 0;
    if (total > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(total);
}

}  // namespace

std::optional<std::int32_t> expectedDurationAfterSamplesEdit(std::uint16_t samples, double step) {
    if (samples >= 32000) return std::nullopt;
    return truncatedDuration(samples, step);
}

std::optional<std::int32_t> expectedDurationAfterStepEdit(std::uint16_t samples, double step) {
    if (!(step < 3600.0)) return std::nullopt;
    return truncatedDuration(samples, step);
}

}  // namespace korvo
