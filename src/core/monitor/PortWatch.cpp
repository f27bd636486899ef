#include "core/monitor/PortWatch.h"

#include <QStringList>
#include <algorithm>

namespace korvo {

const char* watchStateWord(WatchState state) {
    switch (state) {
        case WatchState::Joining:
            return "joining";
        case WatchState::Live:
            return "live";
        case WatchState::Stale:
            return "stale";
        case WatchState::LineLost:
            return "line lost";
        case WatchState::Refused:
            return "refused";
        case WatchState::NotConnected:
            return "not connected";
        case WatchState::Paused:
            break;
    }
    return "paused";
}

void RateMeter::roll(double now) {
    if (start_ < 0.0) start_ = now;
    if (now - start_ < 1.0) return;
    // A window that ended long ago says nothing about now: no sample came since.
    rate_ = now - start_ < 2.0 ? static_cast<double>(count_) / (now - start_) : 0.0;
    start_ = now;
    count_ = 0;
}

void RateMeter::add(double now) {
    roll(now);
    ++count_;
}

double RateMeter::rate(double now) {
    roll(now);
    return rate_;
}

void IntervalValues::add(int value) {
    min = samples == 0 ? value : std::min(min, value);
    max = samples == 0 ? value : std::max(max, value);
    sum += value;
    ++samples;
}

void takeSample(PortWatch& w, const RunRecord& run, const ParamSet& para0, double now) {
    ParamSet taught = para0;
    taught.teachValue = run.teachValue;
    w.run = run;
    w.sampled = true;
    w.limits = toleranceLimits(taught, run.hardwareTolerance, w.pixelCount);
    w.inTolerance = withinTolerance(w.limits, run.measuredValue);
    ++w.samples;
    if (!w.inTolerance) ++w.outOfTolerance;
    w.interval.add(run.measuredValue);
    w.lastAnswer = now;
    w.state = WatchState::Live;
    w.reason.clear();
}

WatchState stateAt(const PortWatch& w, double now) {
    if (w.state == WatchState::Live && now - w.lastAnswer > kStaleAfter) return WatchState::Stale;
    return w.state;
}

QString watchWord(const PortWatch& w) {
    if (w.state == WatchState::Live && w.sampled)
        return w.inTolerance ? QStringLiteral("in tolerance") : QStringLiteral("out of tolerance");
    return QString::fromLatin1(watchStateWord(w.state));
}

QString watchSummary(const PortWatch& w) {
    QStringList parts;
    if (w.serialNumber != 0) parts << QStringLiteral("SN %1").arg(w.serialNumber);
    if (w.state == WatchState::Live && w.sampled)
        parts << QStringLiteral("%1 mm").arg(w.valueMm(), 0, 'f', 3);
    parts << watchWord(w);
    if (!w.reason.isEmpty() && w.state != WatchState::Live) parts << w.reason;
    return parts.join(QStringLiteral(", "));
}

LineCounts countLine(const std::vector<PortWatch>& ports) {
    LineCounts c;
    for (const PortWatch& w : ports) {
        switch (w.state) {
            case WatchState::Live:
                ++c.live;
                if (w.sampled) ++(w.inTolerance ? c.inTolerance : c.outOfTolerance);
                break;
            case WatchState::Stale:
                ++c.stale;
                break;
            case WatchState::LineLost:
                ++c.lost;
                break;
            default:
                break;
        }
    }
    return c;
}

int severity(const PortWatch& w) {
    switch (w.state) {
        case WatchState::Refused:
            return 0;
        case WatchState::LineLost:
            return 1;
        case WatchState::NotConnected:
            return 2;
        case WatchState::Stale:
            return 3;
        case WatchState::Live:
            return w.sampled && !w.inTolerance ? 4 : w.sampled ? 6 : 5;
        case WatchState::Joining:
        case WatchState::Paused:
            break;
    }
    return 5;
}

void sortWorstFirst(std::vector<PortWatch>& ports) {
    std::stable_sort(ports.begin(), ports.end(), [](const PortWatch& a, const PortWatch& b) {
        return severity(a) != severity(b) ? severity(a) < severity(b) : a.com < b.com;
    });
}

}  // namespace korvo
