// korvo serve: the line monitor without a window, its ports' state and values served to plant
// systems as Modbus TCP input registers.

#include <QHostAddress>

#include "cli/Commands.h"
#include "cli/LineRun.h"
#include "core/serve/LineModbusServer.h"
#include "core/serve/ServeReport.h"

namespace korvo::cli {

int cmdServe(const Options& o, Output& out) {
    std::vector<int> ports;
    QString error;
    if (!resolvePorts(o, ports, error)) {
        out.error(error);
        return kExitUsage;
    }
    LineRun line(o, ports);
    LineMonitor& monitor = line.monitor;
    QtPump& pump = line.pump;

    LineModbusServer modbus([&](int first, int count) {
        return inputRegisters(monitor.watches(), first, count, pump.now());
    });
    const QString host = o.modbusHost.isEmpty() ? QStringLiteral("0.0.0.0") : o.modbusHost;
    modbus.setConnectionParameter(QModbusDevice::NetworkAddressParameter, host);
    modbus.setConnectionParameter(QModbusDevice::NetworkPortParameter, o.modbusPort);
    if (!modbus.connectDevice()) {
        out.error(QStringLiteral("Modbus TCP port %1:%2 not taken: %3")
                      .arg(host)
                      .arg(o.modbusPort)
                      .arg(modbus.errorString()));
        return kExitOpen;
    }
    out.message(QStringLiteral("Modbus TCP on %1:%2, %3 ports")
                    .arg(host)
                    .arg(o.modbusPort)
                    .arg(ports.size()));

    bool done = false;
    line.run(o, done);
    modbus.disconnectDevice();
    monitor.stop();
    return kExitOk;
}

}  // namespace korvo::cli
