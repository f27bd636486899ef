// The line monitor over 16 and over 112 virtual sensors paced at 115200 baud, all measured at
// once on one thread: samples per second of each port against the line limit of 160 per second
// (a request and its answer are 72 bytes, 6.25 ms at 115200 baud), the monitor thread's CPU,
// and how long a posted event waits meanwhile (a window's repaint or a click). The whole process's
// CPU, virtual sensors included, shows how much of the machine the rig itself takes.
//
// Usage: bench_monitor [seconds]   (default 5, measured after every port joined)

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "BenchFigures.h"
#include "PacedLine.h"
#include "core/link/PortBank.h"
#include "core/link/Pump.h"
#include "core/monitor/LineMonitor.h"
#include "sim/SensorFarm.h"

namespace {

using namespace korvo;
using namespace korvo::bench;

constexpr double kLineLimit = 160.0;  // answers a second at 115200 baud

void measure(int count, double seconds) {
    QTemporaryDir dir;
    const QString map = dir.filePath(QStringLiteral("COMPORTS.map"));
    sim::SensorFarm farm;
    startPacedLine(farm, count, map);
    QtPump pump;
    PortBank bank(map);
    LineMonitor monitor(bank, pump);
    for (int com = 1; com <= count; ++com) monitor.addPort(com, 4);
    const double joinStart = pump.now();
    monitor.start();
    const auto allLive = [&] {
        for (const PortWatch& w : monitor.watches())
            if (w.state != WatchState::Live || !w.sampled) return false;
        return true;
    };
    while (!allLive() && pump.now() - joinStart < 120.0) pump.waitForEvents(pump.now() + 0.1);
    const double joined = pump.now() - joinStart;

    // A posted event every 20 ms; its wait from posting to handling.
    std::vector<double> delays;
    QObject context;
    QTimer poster;
    QObject::connect(&poster, &QTimer::timeout, &context, [&] {
        QElapsedTimer posted;
        posted.start();
        QTimer::singleShot(0, &context, [&delays, posted] {
            delays.push_back(static_cast<double>(posted.nsecsElapsed()) / 1e6);
        });
    });
    std::vector<long> before;
    for (const PortWatch& w : monitor.watches()) before.push_back(w.samples);
    const double cpuBefore = threadCpuSeconds();
    const double processBefore = processCpuSeconds();
    const double start = pump.now();
    poster.start(20);
    while (pump.now() - start < seconds) pump.waitForEvents(start + seconds);
    poster.stop();
    const double elapsed = pump.now() - start;
    const double cpu = threadCpuSeconds() - cpuBefore;
    const double processCpu = processCpuSeconds() - processBefore;

    std::vector<double> rates;
    long timeouts = 0;
    int i = 0;
    for (const PortWatch& w : monitor.watches()) {
        rates.push_back(static_cast<double>(w.samples - before[i++]) / elapsed);
        timeouts += w.timeouts;
    }
    monitor.stop();
    const double worstRate = *std::min_element(rates.begin(), rates.end());
    const double worstDelay =
        delays.empty() ? 0.0 : *std::max_element(delays.begin(), delays.end());
    std::printf(
        "%3d sensors: all live after %.1f s; samples/s per port median %.1f (%.2f of %g), "
        "worst %.1f (%.2f); monitor thread CPU %.2f of a core (whole process with the "
        "virtual sensors %.2f of %d cores); posted event waits median %.2f ms, worst %.2f ms; "
        "%ld time-outs\n",
        count, joined, median(rates), median(rates) / kLineLimit, kLineLimit, worstRate,
        worstRate / kLineLimit, cpu / elapsed, processCpu / elapsed, QThread::idealThreadCount(),
        median(delays), worstDelay, timeouts);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;
    measure(16, seconds);
    measure(112, seconds);
    return 0;
}
