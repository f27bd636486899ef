// The data recorder against virtual sensors.
//
//   bench_record [--samples N] [--step S] [--seconds T]
//
// 1. A mode-0 recording of N samples (default 300) at a step of S seconds (default 0.1): the
//    achieved mean step and its spread, against the step itself (the next sample is due one
//    step after the last one was noticed, lateness is not made up), and the CPU the recording
//    thread uses meanwhile.
// 2. A triggered recording (mode 1) while the sensor sends a record every 5 ms for T seconds
//    (default 60): records sent against records written, and the resident memory at the start
//    and at the end.

#include <sys/resource.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numeric>
#include <vector>

#include "BenchFigures.h"
#include "BenchRig.h"
#include "core/link/PortBank.h"
#include "core/link/Pump.h"
#include "core/link/SensorLink.h"
#include "core/link/StatusSink.h"
#include "core/record/RecordingSession.h"
#include "sim/ParamMemory.h"
#include "sim/SensorFarm.h"

namespace {

using namespace korvo::bench;

using namespace korvo;

// One sensor, COM1 opened at 115200 baud.
struct Rig : SensorRig {
    explicit Rig(const sim::SensorConfig& config) : SensorRig(config, 4) {}
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    int samples = 300;
    double step = 0.1;
    double seconds = 60.0;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--samples")) samples = std::max(2, std::atoi(argv[i + 1]));
        if (!std::strcmp(argv[i], "--step")) step = std::max(0.01, std::atof(argv[i + 1]));
        if (!std::strcmp(argv[i], "--seconds")) seconds = std::max(1.0, std::atof(argv[i + 1]));
    }

    {
        sim::SensorConfig config;
        config.noise = false;
        config.pace = true;
        config.baud = 115200;
        Rig rig(config);
        if (!rig.ok) return 1;
        RecordingPlan plan;
        plan.mode = 0;
        plan.step = step;
        plan.samples = static_cast<std::uint16_t>(samples);
        plan.path = rig.dir.filePath(QStringLiteral("RECORD.DAT"));
        std::vector<double> at;
        RecordingSession::View view;
        view.sample = [&](const RunRecord&, long) { at.push_back(rig.pump.now()); };
        RecordingSession session(rig.scope);
        const double c0 = threadCpuSeconds();
        const double t0 = rig.pump.now();
        session.run(plan, view);
        const double wall = rig.pump.now() - t0;
        const double cpu = threadCpuSeconds() - c0;
        std::vector<double> steps;
        for (std::size_t i = 1; i < at.size(); ++i) steps.push_back(at[i] - at[i - 1]);
        const double mean = std::accumulate(steps.begin(), steps.end(), 0.0) / steps.size();
        double var = 0;
        for (double s : steps) var += (s - mean) * (s - mean);
        const auto [lo, hi] = std::minmax_element(steps.begin(), steps.end());
        std::printf("mode 0, %ld samples at a step of %.3f s, sensor paced at 115200 baud\n",
                    session.count(), step);
        std::printf("  mean step                        %9.4f s\n", mean);
        std::printf("  spread (standard deviation)      %9.4f s\n", std::sqrt(var / steps.size()));
        std::printf("  shortest / longest step          %9.4f / %.4f s\n", *lo, *hi);
        std::printf("  step asked for (baseline)        %9.4f s\n", step);
        std::printf("  ratio mean / asked               %9.3f\n", mean / step);
        std::printf("  recording thread CPU             %8.2f %%\n", 100.0 * cpu / wall);
    }
    {
        sim::SensorConfig config;
        config.noise = false;
        config.recordPeriodMs = 5;
        config.recordQuietMs = 50;
        Rig rig(config);
        if (!rig.ok) return 1;
        sim::ParamHalf h = rig.farm.sensor(0).ramHalf(1);
        h[sim::p1::kRs232Mode] = 1;
        RecordingPlan plan;
        plan.mode = 1;
        plan.samples = 32000;
        plan.path = rig.dir.filePath(QStringLiteral("RECORD.DAT"));
        RecordingSession session(rig.scope);
        QTimer::singleShot(static_cast<int>(seconds * 1000),
                           [&rig] { rig.scope.link.stopFlag = kStopByUser; });
        const double before = residentMegabytes();
        // The sensor starts sending once it is in the triggered mode, just after the recording
        // began to listen; it stops when the recording has stopped.
        long sentBefore = 0;
        QTimer::singleShot(0, [&] {
            sentBefore = rig.farm.sensor(0).recordsSent();
            rig.farm.sensor(0).setRamHalf(1, h);
        });
        long sentWhileRecording = 0;
        RecordingSession::View view;
        session.run(plan, view);
        h[sim::p1::kRs232Mode] = 0;
        rig.farm.sensor(0).setRamHalf(1, h);
        sentWhileRecording = rig.farm.sensor(0).recordsSent() - sentBefore;
        const double after = residentMegabytes();
        std::printf("mode 1, a record every 5 ms for %.0f s\n", seconds);
        std::printf("  records sent                     %9ld\n", sentWhileRecording);
        std::printf("  records written                  %9ld\n", session.count());
        std::printf("  resident memory at start         %9.1f MB\n", before);
        std::printf("  resident memory at end           %9.1f MB\n", after);
    }
    return 0;
}
