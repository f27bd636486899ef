// korvo watch: the line monitor over several ports on the main thread, printed every interval.

#include <QJsonObject>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "cli/Commands.h"
#include "cli/LineRun.h"

namespace korvo::cli {

namespace {

double rounded(double v, int digits) {
    const double f = std::pow(10.0, digits);
    return std::round(v * f) / f;
}

QStringList watchCells(const PortWatch& w, double t) {
    const bool value = w.state == WatchState::Live && w.sampled;
    return {QString::number(t, 'f', 1),
            QStringLiteral("COM%1").arg(w.com),
            w.serialNumber ? QString::number(w.serialNumber) : QStringLiteral("-"),
            value ? QString::number(w.valueMm(), 'f', 3) : QStringLiteral("-"),
            value ? QString::number(w.run.measuredValue) : QStringLiteral("-"),
            watchWord(w),
            QString::number(w.samplesPerSecond, 'f', 1),
            QString::number(w.outOfTolerance),
            printable(w.reason)};
}

QJsonObject watchJson(const PortWatch& w, const IntervalValues& v, double t) {
    QJsonObject j;
    j[QStringLiteral("type")] = QStringLiteral("watch");
    j[QStringLiteral("t")] = rounded(t, 3);
    j[QStringLiteral("port")] = w.com;
    j[QStringLiteral("device")] = w.device;
    j[QStringLiteral("state")] = QString::fromLatin1(watchStateWord(w.state));
    j[QStringLiteral("summary")] = watchWord(w);
    if (w.serialNumber) j[QStringLiteral("serial")] = w.serialNumber;
    if (!w.modelLine.isEmpty()) j[QStringLiteral("model")] = w.modelLine;
    if (!w.firmwareText.isEmpty()) j[QStringLiteral("firmware")] = printable(w.firmwareText);
    if (w.sampled) {
        j[QStringLiteral("mm")] = w.valueMm();
        j[QStringLiteral("pixels")] = w.run.measuredValue;
        j[QStringLiteral("upper")] = w.limits.upper;
        j[QStringLiteral("lower")] = w.limits.lower;
        j[QStringLiteral("in_tolerance")] = w.inTolerance;
    }
    j[QStringLiteral("rate")] = rounded(w.samplesPerSecond, 1);
    j[QStringLiteral("samples")] = static_cast<qint64>(v.samples);
    if (v.samples > 0) {
        j[QStringLiteral("min")] = v.min;
        j[QStringLiteral("max")] = v.max;
        j[QStringLiteral("mean")] = rounded(v.mean(), 3);
    }
    j[QStringLiteral("out_of_tolerance")] = static_cast<qint64>(w.outOfTolerance);
    j[QStringLiteral("timeouts")] = static_cast<qint64>(w.timeouts);
    if (!w.reason.isEmpty()) j[QStringLiteral("reason")] = printable(w.reason);
    return j;
}

// The exit status a port ends with: a sensor that is lost, silent or refused is a failed sensor,
// a port that cannot be opened is one.
int watchExit(const PortWatch& w) {
    switch (w.state) {
        case WatchState::LineLost:
        case WatchState::Stale:
        case WatchState::Refused:
        case WatchState::Joining:
            return kExitSensor;
        case WatchState::NotConnected:
            return kExitOpen;
        default:
            return kExitOk;
    }
}

}  // namespace

int cmdWatch(const Options& o, Output& out) {
    std::vector<int> ports;
    QString error;
    if (!resolvePorts(o, ports, error)) {
        out.error(error);
        return kExitUsage;
    }
    LineRun line(o, ports);
    QtPump& pump = line.pump;
    LineMonitor& monitor = line.monitor;
    out.setColumns({{QStringLiteral("T[s]"), 6},
                    {QStringLiteral("PORT"), 6},
                    {QStringLiteral("SERIAL"), 6},
                    {QStringLiteral("MM"), 8},
                    {QStringLiteral("PIXELS"), 6},
                    {QStringLiteral("STATE"), 16},
                    {QStringLiteral("RATE"), 6},
                    {QStringLiteral("OUT"), 5},
                    {QStringLiteral("DETAIL"), 0}},
                   true);
    const bool live = out.stdoutIsTerminal() && !out.json();

    // Printing runs on a timer, so it goes on while a port joins (its exchanges wait inside).
    bool done = false;
    const double start = pump.now();
    const auto print = [&] {
        const double t = pump.now() - start;
        std::vector<QStringList> rows;
        for (const PortWatch& w : monitor.watches()) {
            const IntervalValues v = monitor.takeInterval(w.com);
            if (live)
                rows.push_back(watchCells(w, t));
            else
                out.row(watchCells(w, t), watchJson(w, v, t));
        }
        if (live) out.redraw(rows);
        if (out.lost()) done = true;
    };
    QObject context;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &context, print);
    tick.start(static_cast<int>(std::lround(o.interval * 1000)));
    line.run(o, done);
    tick.stop();
    if (!out.lost()) print();  // the state at the end
    int status = kExitOk;
    for (const PortWatch& w : monitor.watches()) status = std::max(status, watchExit(w));
    monitor.stop();
    return status;
}

}  // namespace korvo::cli
