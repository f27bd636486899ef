#pragma once
// What the line monitor knows of one port, and the rules that turn it into what a tile or a line
// of `korvo watch` shows: the port's state in words, in or out of tolerance by the roll graph's
// rule, the samples per second, the interval's minimum, maximum and mean, the line's counts and
// the worst-first order. No widget and no port here.

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/measure/ToleranceLimits.h"
#include "core/params/ParamSet.h"

namespace korvo {

enum class WatchState {
    Joining,       // being opened, identified and its para0 read
    Live,          // answering
    Stale,         // no answer for more than kStaleAfter seconds; still asked
    LineLost,      // hung up or gone; tried again every kRetryAfter seconds
    Refused,       // answers, but of a series or version the window refuses
    NotConnected,  // switched off in the port table, or the port cannot be opened
    Paused,        // let go while something else works the sensor
};

inline constexpr double kStaleAfter = 1.0;  // seconds without an answer
inline constexpr double kRetryAfter = 3.0;  // seconds between tries on a lost or silent port

// "joining", "live", "stale", "line lost", "refused", "not connected", "paused".
const char* watchStateWord(WatchState state);

// Samples per second over whole windows of one second: the rate of the last window that ended.
class RateMeter {
public:
    void add(double now);
    double rate(double now);

private:
    void roll(double now);
    double start_ = -1.0;
    long count_ = 0;
    double rate_ = 0.0;
};

// Values of the samples since the interval began, in pixels.
struct IntervalValues {
    long samples = 0;
    int min = 0, max = 0;
    double sum = 0.0;
    void add(int value);
    double mean() const { return samples > 0 ? sum / static_cast<double>(samples) : 0.0; }
};

struct PortWatch {
    int com = 0;
    QString device;
    WatchState state = WatchState::Joining;
    QString reason;  // why it is not live ("" when it is)
    std::uint16_t serialNumber = 0;
    QString modelLine;
    QString firmwareText;
    int pixelCount = 0;
    std::optional<std::uint32_t> umSlope;  // from para1 in RAM, read when the port joined
    bool sampled = false;                  // a run record has come since the port joined
    RunRecord run;
    ToleranceLimits limits;
    bool inTolerance = false;
    long samples = 0, outOfTolerance = 0, timeouts = 0;
    double samplesPerSecond = 0.0;
    double lastAnswer = 0.0;  // pump seconds
    IntervalValues interval;

    // The sensor's own micrometre value, as the bar graph's readout shows it.
    double valueMm() const { return run.measuredUm / 1000.0; }
};

// Takes a run record in: the limits by the port's para0 (with the record's teach value, as the
// roll graph takes it), in or out of tolerance, the counts and the interval.
void takeSample(PortWatch& w, const RunRecord& run, const ParamSet& para0, double now);

// Live turns stale once the last answer is more than kStaleAfter seconds old, and stale turns
// live again with the next answer; the other states stay as they are.
WatchState stateAt(const PortWatch& w, double now);

// One tile's text for a screen reader and the line's table: "SN 4713, 7.23 mm, in tolerance";
// a port that is not live says its state (and its serial number when it is known).
QString watchSummary(const PortWatch& w);
// "in tolerance" or "out of tolerance" for a live port, else the state's word.
QString watchWord(const PortWatch& w);

struct LineCounts {
    int live = 0, inTolerance = 0, outOfTolerance = 0, stale = 0, lost = 0;
};
LineCounts countLine(const std::vector<PortWatch>& ports);

// Worst first: refused, line lost, not connected, stale, out of tolerance, joining and paused,
// in tolerance; within each, COM order. Lower is worse.
int severity(const PortWatch& w);
void sortWorstFirst(std::vector<PortWatch>& ports);

}  // namespace korvo
