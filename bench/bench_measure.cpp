// Run mode and video mode as the window runs them (offscreen, drawing included) against virtual
// sensors, and a soak of run mode.
//
//   bench_measure [--runs N] [--seconds S] [--soak SAMPLES]
//
// 1. Run mode against a sensor paced at 115200 baud: samples per second against the line's
//    limit of 72 bytes x 10 bits per exchange = 160/s, and the CPU the program's thread uses
//    meanwhile (the virtual sensor runs on threads of its own).
// 2. Run mode against an unpaced sensor, against bare raw-data exchanges of the link code
//    measured in the same run (what drawing and the loop cost on top of the exchange).
// 3. Video cycles per second against a sensor paced at 115200 baud, against the line's limit:
//    a raw-data exchange and four 64-word blocks, 728 bytes x 10 bits per cycle = 15.8/s.
// 4. With --soak: SAMPLES run-mode samples against the unpaced sensor, with the resident memory
//    at the start and at the end.
// Every figure but the soak is the median over several runs.

#include <sys/resource.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "BenchFigures.h"
#include "app/measure/MeasureDisplay.h"
#include "app/program/Startup.h"
#include "app/shell/ScopeApp.h"
#include "core/measure/MeasureLoops.h"
#include "sim/SensorFarm.h"
#include "ui/Platform.h"

namespace {

using namespace korvo::bench;

using namespace korvo;

// The program, started offscreen on its layouts, with one virtual sensor on COM1.
class Rig {
public:
    explicit Rig(bool paced) {
        sim::SensorConfig config;
        config.noise = false;
        config.pace = paced;
        config.baud = 115200;
        farm.add(config);
        platform = std::make_unique<ui::Platform>(QCoreApplication::applicationDirPath());
        app = std::make_unique<ScopeApp>(*platform);
        const QString map = dir.filePath(QStringLiteral("COMPORTS.map"));
        QString error;
        ok = farm.start(&error) && farm.writePortMap(map, 1, &error) && StartScopeApp(*app) == 0;
        if (!ok) {
            std::fprintf(stderr, "set-up failed: %s\n", qPrintable(error));
            return;
        }
        app->ports.setPortMapPath(map);
        app->sensor.link.portNumber = 1;
        ok = app->sensor.InitRS232(1, 4) >= 0;
        platform->displayPanel(app->panels.main);
    }
    ~Rig() {
        app->ports.closeAll();
        farm.stop();
    }

    struct Figures {
        double rate = 0;      // samples or cycles per second
        double cpuShare = 0;  // of one core, the program's thread
        long count = 0;
    };

    // Run mode for `seconds` (or until `samples` samples), drawing each sample as the window does.
    Figures run(double seconds, long samples = 0) {
        MeasureLoops loops(app->sensor);
        const double t0 = app->pump.now();
        const double c0 = threadCpuSeconds();
        long n = 0;
        loops.run(1, [&](const RunRecord& run) {
            PlotVIDEOBarGraph(*app, run);
            PlotRAWGraph(*app, run);
            ++n;
            if ((samples > 0 && n >= samples) || (samples == 0 && app->pump.now() - t0 >= seconds))
                app->sensor.link.stopFlag = kStopByUser;
        });
        const double wall = app->pump.now() - t0;
        return {n / wall, (threadCpuSeconds() - c0) / wall, n};
    }

    Figures video(double seconds) {
        MeasureLoops loops(app->sensor);
        int previousMode = 0;
        const double t0 = app->pump.now();
        const double c0 = threadCpuSeconds();
        long n = 0;
        loops.video(1, [&](const RunRecord& run) {
            drawVideoCycle(*app, run, previousMode);
            ++n;
            if (app->pump.now() - t0 >= seconds) app->sensor.link.stopFlag = kStopByUser;
        });
        const double wall = app->pump.now() - t0;
        return {n / wall, (threadCpuSeconds() - c0) / wall, n};
    }

    // Bare raw-data exchanges for `seconds`, no drawing.
    double exchanges(double seconds) {
        const double t0 = app->pump.now();
        long n = 0;
        while (app->pump.now() - t0 < seconds) {
            if (app->sensor.PushGETRAW(1) != kReplyRawData) return 0.0;
            ++n;
        }
        return n / (app->pump.now() - t0);
    }

    QTemporaryDir dir;
    sim::SensorFarm farm;
    std::unique_ptr<ui::Platform> platform;
    std::unique_ptr<ScopeApp> app;
    bool ok = false;
};

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    int runs = 5;
    double seconds = 2.0;
    long soak = 0;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--runs")) runs = std::max(1, std::atoi(argv[i + 1]));
        if (!std::strcmp(argv[i], "--seconds")) seconds = std::max(0.2, std::atof(argv[i + 1]));
        if (!std::strcmp(argv[i], "--soak")) soak = std::atol(argv[i + 1]);
    }

    {
        Rig paced(true);
        if (!paced.ok) return 1;
        std::vector<double> rate, cpu, video, videoCpu;
        for (int r = 0; r < runs; ++r) {
            const Rig::Figures f = paced.run(seconds);
            rate.push_back(f.rate);
            cpu.push_back(f.cpuShare);
            const Rig::Figures v = paced.video(seconds);
            video.push_back(v.rate);
            videoCpu.push_back(v.cpuShare);
        }
        const double runLimit = 115200.0 / (72 * 10);
        const double videoLimit = 115200.0 / (728 * 10);
        std::printf("run mode, sensor paced at 115200 baud (median of %d x %.1f s)\n", runs,
                    seconds);
        std::printf("  samples/s                        %9.1f\n", median(rate));
        std::printf("  line limit                       %9.1f\n", runLimit);
        std::printf("  ratio                            %9.2f\n", median(rate) / runLimit);
        std::printf("  program thread CPU               %8.1f %%\n", 100.0 * median(cpu));
        std::printf("video mode, sensor paced at 115200 baud\n");
        std::printf("  cycles/s                         %9.2f\n", median(video));
        std::printf("  line limit                       %9.2f\n", videoLimit);
        std::printf("  ratio                            %9.2f\n", median(video) / videoLimit);
        std::printf("  program thread CPU               %8.1f %%\n", 100.0 * median(videoCpu));
    }
    {
        Rig fast(false);
        if (!fast.ok) return 1;
        std::vector<double> rate, bare;
        for (int r = 0; r < runs; ++r) {
            bare.push_back(fast.exchanges(seconds));
            rate.push_back(fast.run(seconds).rate);
        }
        std::printf("run mode, unpaced sensor\n");
        std::printf("  samples/s, run mode with drawing %9.0f\n", median(rate));
        std::printf("  raw-data exchanges/s, bare       %9.0f\n", median(bare));
        std::printf("  ratio                            %9.2f\n", median(rate) / median(bare));
        if (soak > 0) {
            const double before = residentMegabytes();
            const Rig::Figures f = fast.run(0, soak);
            const double after = residentMegabytes();
            std::printf("soak: %ld samples, unpaced\n", f.count);
            std::printf("  samples/s                        %9.0f\n", f.rate);
            std::printf("  resident memory at start         %9.1f MB\n", before);
            std::printf("  resident memory at end           %9.1f MB\n", after);
            std::printf("  growth                           %9.2f MB\n", after - before);
        }
    }
    return 0;
}
