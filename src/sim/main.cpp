// korvo-sim: virtual KORVO-KM sensors on pseudo-terminals, for demos, training and tests.
// Prints "COM<n> <device>" per sensor, maps COM<n> to it in the port map, serves until SIGINT or
// SIGTERM, then takes its port-map lines out again.

#include <QCoreApplication>
#include <csignal>
#include <cstdio>

#include "core/files/FileLocations.h"
#include "sim/SensorFarm.h"
#include "sim/SimOptions.h"

namespace {

const char kUsage[] =
    "usage: korvo-sim --count N [--first-com C] [--map PATH]\n"
    "                 [--model FAMILY:VARIANT:FIRMWARE[:PIXELS[:VIDEORES]]]... [--id TEXT]...\n"
    "                 [--serial N] [--pace] [--baud B] [--latency-ms L] [--strict-baud]\n"
    "                 [--record-ms MS] [--edges COM:LEFT:RIGHT]... [--silent COM]...\n"
    "  --model and --id may repeat: sensor i takes the i-th, the last one serves the rest.\n"
    "  Default model 1:80:318, id KORVO-KM, port map COMPORTS.map in the settings folder of\n"
    "  korvo-km-scope (beside this program when writable, else ~/.config/korvo-km-scope).\n"
    "  --pace sends at the line rate (plus the latency); --strict-baud ignores requests while\n"
    "  the PC's port is set to another rate than the sensor's, as a real line would.\n"
    "  --edges pins the sensor on COM to two edges; --silent COM answers the connection and\n"
    "  the parameter reads but no measurement request. Both may repeat.\n";

void printError(const QString& text) {
    std::fprintf(stderr, "korvo-sim: %s\n", qPrintable(text));
}

}  // namespace

int main(int argc, char** argv) {
    // Block the stop signals before any sensor thread exists, so every thread inherits the mask
    // and the signals are taken only by sigwait() below: no handler runs at an unsafe moment.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    korvo::sim::SimOptions options;
    QString error;
    if (!korvo::sim::parseSimOptions(args, &options, &error)) {
        printError(error);
        std::fputs(kUsage, stderr);
        return 2;
    }
    // By default the port map of the window and korvo: the same rule picks its folder.
    QString mapPath = options.mapPath;
    if (mapPath.isEmpty()) {
        const korvo::FileLocations where = korvo::currentFileLocations();
        if (!korvo::makeSettingsDir(where, &error)) {
            printError(error);
            return 1;
        }
        mapPath = where.settingsFile(QString::fromLatin1(korvo::sim::kPortMapFileName));
    }

    korvo::sim::SensorFarm farm;
    for (std::size_t i = 0; i < options.sensors.size(); ++i) {
        korvo::sim::VirtualSensor& sensor = farm.add(options.sensors[i]);
        const int com = options.firstCom + static_cast<int>(i);
        if (const auto e = options.edges.find(com); e != options.edges.end())
            sensor.setMeasurement(e->second.first, e->second.second);
        if (options.silent.count(com) != 0)
            sensor.setFault(korvo::sim::Fault::NoReply, 8);  // every run request, for good
    }
    if (!farm.start(&error) || !farm.writePortMap(mapPath, options.firstCom, &error)) {
        printError(error);
        return 1;
    }
    for (const auto& entry : farm.entries(options.firstCom)) {
        std::printf("COM%d %s\n", entry.com, qPrintable(entry.device));
    }
    std::fflush(stdout);

    int signal = 0;
    sigwait(&stopSignals, &signal);

    const bool removed = farm.removePortMap(&error);
    farm.stop();
    if (!removed) {
        printError(error);
        return 1;
    }
    return 0;
}
