#pragma once
// The link code against virtual sensors on COM1.., as the program holds it: the port map in a
// temporary folder, the link state, pump, port bank and the data the exchanges fill. `ok` says
// whether the sensors started and their map was written, and with a baud index given, whether
// COM1 opened at that rate.

#include <QString>
#include <QTemporaryDir>
#include <cstdio>

#include "core/link/LinkState.h"
#include "core/link/PortBank.h"
#include "core/link/PortSensor.h"
#include "core/link/Pump.h"
#include "core/link/StatusSink.h"
#include "sim/SensorFarm.h"

namespace korvo::bench {

struct SensorRig {
    explicit SensorRig(const sim::SensorConfig& config, int baudIndex = -1)
        : bank(mapPath()), scope(bank, pump, sink) {
        farm.add(config);
        QString error;
        ok = farm.start(&error) && farm.writePortMap(mapPath(), 1, &error);
        if (!ok) std::fprintf(stderr, "virtual sensor: %s\n", qPrintable(error));
        if (ok && baudIndex >= 0 && scope.InitRS232(1, baudIndex) != 0) {
            std::fprintf(stderr, "COM1 could not be opened\n");
            ok = false;
        }
    }
    ~SensorRig() {
        bank.closeAll();
        farm.stop();
    }
    QString mapPath() const { return dir.filePath(QStringLiteral("COMPORTS.map")); }

    QTemporaryDir dir;
    sim::SensorFarm farm;
    NullStatusSink sink;
    QtPump pump;
    PortBank bank;
    PortSensor scope;
    bool ok = false;
};

}  // namespace korvo::bench
