// Run mode through a serial device server: one virtual sensor paced at 115200 baud, reached
// directly through its pseudo-terminal (COM1), and through Debian's ser2net over loopback as an
// RFC 2217 port and as a raw TCP port, each with ser2net's defaults (COM2, COM3) and set for
// request-and-answer traffic (COM4, COM5: Nagle off, no wait for more characters from the
// device before sending), the five taking turns within one run.
//
//   bench_netport [--runs N] [--seconds S]
//
// Prints, per route, the median of the samples/s, against the line's limit of 72 bytes x 10 bits
// per exchange = 160/s, and against the direct route of the same run; and the program thread's
// CPU share. ser2net runs as a process of its own, so its CPU is not in that share.

#include <QCoreApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "BenchFigures.h"
#include "core/link/PortBank.h"
#include "core/link/PortSensor.h"
#include "core/link/PortSettings.h"
#include "core/link/Pump.h"
#include "core/link/StatusSink.h"
#include "core/measure/MeasureLoops.h"
#include "sim/PortMap.h"
#include "sim/SensorFarm.h"
#include "support/DeviceServer.h"

namespace {

using namespace korvo;
using namespace korvo::bench;

constexpr int kBaudIndex115200 = 4;

struct Route {
    const char* name;
    int com;
    std::vector<double> rate, cpu;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    int runs = 5;
    double seconds = 3.0;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--runs")) runs = std::max(1, std::atoi(argv[i + 1]));
        if (!std::strcmp(argv[i], "--seconds")) seconds = std::max(0.5, std::atof(argv[i + 1]));
    }

    QTemporaryDir dir;
    const QString map = dir.filePath(QStringLiteral("COMPORTS.map"));
    sim::SensorFarm farm;
    sim::SensorConfig config;
    config.noise = false;
    config.pace = true;
    config.baud = 115200;
    config.frameLogLimit = 0;
    farm.add(config);
    QString error;
    if (!farm.start(&error) || !farm.writePortMap(map, 1, &error)) {
        std::printf("virtual sensor: %s\n", qPrintable(error));
        return 1;
    }
    const QString connector =
        QStringLiteral("serialdev,%1,115200n81,local").arg(farm.entries(1).at(0).device);
    QtPump pump;
    test::DeviceServer server(dir.path());
    using Tuning = test::DeviceServer::Tuning;
    const QString telnet = QStringLiteral("telnet(rfc2217)");
    const auto url = [](const char* kind, int port) {
        return QStringLiteral("%1://127.0.0.1:%2").arg(QLatin1String(kind)).arg(port);
    };
    const std::vector<sim::PortMapEntry> lines = {
        {2, url("rfc2217", server.add(telnet, connector))},
        {3, url("tcp", server.add(QString(), connector))},
        {4, url("rfc2217", server.add(telnet, connector, Tuning::Interactive))},
        {5, url("tcp", server.add(QString(), connector, Tuning::Interactive))}};
    if (!server.start(pump) || !sim::addPortMapEntries(map, lines)) {
        std::printf("ser2net did not start, or the port map was not written\n");
        return 1;
    }

    NullStatusSink sink;
    PortBank bank(map);
    PortSensor sensor(bank, pump, sink);
    std::vector<Route> routes = {{"direct (pseudo-terminal)", 1, {}, {}},
                                 {"rfc2217://, defaults", 2, {}, {}},
                                 {"tcp://, defaults", 3, {}, {}},
                                 {"rfc2217://, interactive", 4, {}, {}},
                                 {"tcp://, interactive", 5, {}, {}}};
    for (int r = 0; r < runs; ++r) {
        for (Route& route : routes) {
            if (sensor.InitRS232(route.com, kBaudIndex115200) != 0 ||
                sensor.CheckComLine(route.com) != 1) {
                std::printf("%s: %s %s\n", route.name, qPrintable(sensor.link.statusText),
                            qPrintable(bank.errorDetail(route.com)));
                return 1;
            }
            MeasureLoops loops(sensor);
            long n = 0;
            const double t0 = pump.now();
            const double c0 = threadCpuSeconds();
            loops.run(route.com, [&](const RunRecord&) {
                ++n;
                if (pump.now() - t0 >= seconds) sensor.link.stopFlag = kStopByUser;
            });
            const double wall = pump.now() - t0;
            route.rate.push_back(n / wall);
            route.cpu.push_back((threadCpuSeconds() - c0) / wall);
            bank.close(route.com);
            // The pseudo-terminal has one reader at a time: ser2net lets go of it only some time
            // after its client left.
            pump.delay(0.5);
        }
    }

    const double limit = 115200.0 / (72 * 10);
    const double direct = median(routes[0].rate);
    std::printf("run mode at 115200 baud, sensor paced (median of %d x %.1f s per route)\n", runs,
                seconds);
    std::printf("  %-26s %10s %10s %10s %10s\n", "route", "samples/s", "of 160/s", "of direct",
                "thread CPU");
    for (const Route& route : routes) {
        const double rate = median(route.rate);
        std::printf("  %-26s %10.1f %10.3f %10.3f %9.1f%%\n", route.name, rate, rate / limit,
                    direct > 0 ? rate / direct : 0.0, 100.0 * median(route.cpu));
    }
    return 0;
}
