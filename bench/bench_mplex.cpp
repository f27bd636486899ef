// Multiplexer sequences against virtual sensors, offscreen: the median time of INIT ALL over 112
// sensors, of TEACH ALL over 112 sensors that all answer, and of a scope toggle switched on until
// the sensor's parameters are shown (sensors unpaced, then paced at 19200 baud).
//
// Usage: bench_mplex [runs]   (default 5)

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "BenchFigures.h"
#include "app/program/Startup.h"
#include "app/shell/ControlIds.h"
#include "app/shell/ScopeApp.h"
#include "sim/SensorFarm.h"
#include "ui/Platform.h"
#include "ui/Popups.h"

namespace {

using namespace korvo::bench;

using namespace korvo;
using namespace korvo::ids;

constexpr int kSensors = kMplexGroups * kMplexPortsPerGroup;

// No pop-up is expected; one that shows up is printed instead of waiting for a click.
class PrintingPopups final : public ui::Popups {
public:
    void message(const QString& title, const QString& text) override {
        std::printf("pop-up: %s: %s\n", qPrintable(title), qPrintable(text));
    }
    bool confirm(const QString& title, const QString& text) override {
        message(title, text);
        return false;
    }
    ui::FileChoice fileSelect(const QString&, const QString&, const QString&,
                              const QString&) override {
        return {};
    }
};

double timeMs(const std::function<void()>& action) {
    QElapsedTimer clock;
    clock.start();
    action();
    return static_cast<double>(clock.nsecsElapsed()) / 1.0e6;
}

void report(const char* what, const std::vector<double>& ms, int items) {
    const double m = median(ms);
    std::printf("%-44s median %9.1f ms  (%6.2f ms per port, %zu runs)\n", what, m, m / items,
                ms.size());
}

// Forgets every opening, so that the next INIT opens all ports again.
void closeAllPorts(ScopeApp& app) {
    app.ports.closeAll();
    for (MplexGroup& g : app.state.mplex.groups)
        for (MplexPort& p : g.ports) p.openState = 0;
}

bool copyLayouts(const QString& to) {
    const QDir bin(QCoreApplication::applicationDirPath());
    const QStringList files =
        bin.entryList({QStringLiteral("*.uir"), QStringLiteral("*.bmp")}, QDir::Files);
    for (const QString& f : files) QFile::copy(bin.filePath(f), QDir(to).filePath(f));
    return files.size() >= 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;

    QTemporaryDir dir;
    if (!dir.isValid() || !copyLayouts(dir.path())) {
        std::fprintf(stderr, "layout files not found beside the benchmark\n");
        return 1;
    }
    sim::SensorFarm farm;
    for (int i = 0; i < kSensors; ++i) {
        sim::SensorConfig config;
        config.serial = static_cast<std::uint16_t>(1000 + i);
        farm.add(config);
    }
    QString error;
    if (!farm.start(&error) ||
        !farm.writePortMap(QDir(dir.path()).filePath(QStringLiteral("COMPORTS.map")), 1, &error)) {
        std::fprintf(stderr, "virtual sensors: %s\n", qPrintable(error));
        return 1;
    }

    ui::Platform platform(dir.path());
    platform.setPopups(std::make_unique<PrintingPopups>());
    ScopeApp app(platform);
    if (StartScopeApp(app) != 0) {
        std::fprintf(stderr, "start-up failed\n");
        return 1;
    }
    const int mpc = app.panels.mpc;

    std::vector<double> initAll, teachAll;
    for (int r = 0; r < runs; ++r) {
        closeAllPorts(app);
        initAll.push_back(timeMs([&] { platform.click(mpc, MPC_INITALL); }));
        int open = 0;
        for (const MplexGroup& g : app.state.mplex.groups)
            for (const MplexPort& p : g.ports) open += p.openState == 1;
        if (open != kSensors) std::printf("INIT ALL opened %d of %d ports\n", open, kSensors);
        teachAll.push_back(timeMs([&] { platform.click(mpc, MPC_TEACHALL); }));
        int taught = 0;
        for (const MplexGroup& g : app.state.mplex.groups)
            for (const MplexPort& p : g.ports)
                taught += p.statusText == QStringLiteral("TEACH-IN OK!");
        if (taught != kSensors) std::printf("TEACH ALL: %d of %d acknowledged\n", taught, kSensors);
    }
    report("INIT ALL, 112 sensors", initAll, kSensors);
    report("TEACH ALL, 112 answering sensors", teachAll, kSensors);

    // Scope toggle of group 1, P3 (COM3): on until the parameters are on the panels.
    const int portPanel = app.panels.portPanels[0][2];
    platform.setActiveTabPage(mpc, MPC_TAB, 0);  // INIT ALL left group 7 in front
    auto scopeRuns = [&](const char* what) {
        std::vector<double> ms;
        for (int r = 0; r < runs; ++r) {
            if (platform.getInt(portPanel, PORT_SCOPE) != 0) platform.click(portPanel, PORT_SCOPE);
            ms.push_back(timeMs([&] { platform.click(portPanel, PORT_SCOPE); }));
            if (platform.getText(app.panels.main, MAIN_STATUS) != app.sensor.link.firmwareText)
                std::printf("%s: sensor not identified\n", what);
        }
        report(what, ms, 1);
    };
    scopeRuns("scope toggle on -> parameters shown, unpaced");
    farm.sensor(2).setPacing(true, 0);
    scopeRuns("scope toggle on -> parameters shown, 19200");
    farm.stop();
    return 0;
}
