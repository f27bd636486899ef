// korvo serve: the line monitor without a window, its ports' state and values served to plant
// systems as Modbus TCP input registers.

#include <QHostAddress>
#include <QTimer>
#include <QUrl>
#include <cmath>

#include "cli/Commands.h"
#include "cli/Interrupt.h"
#include "core/monitor/LineMonitor.h"
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
    QtPump pump;
    PortBank bank(mapPathFor(o));
    LineMonitor monitor(bank, pump);
    for (int port : ports) monitor.addPort(port, o.baudIndex);

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

    bool done = Interrupt::requested();
    QObject context;
    if (o.duration > 0.0)
        QTimer::singleShot(static_cast<int>(std::lround(o.duration * 1000)), &context,
                           [&done] { done = true; });
    Interrupt::onRequest([&done] { done = true; });
    monitor.start();
    while (!done) pump.waitForEvents(pump.now() + 3600.0);
    Interrupt::onRequest({});
    modbus.disconnectDevice();
    monitor.stop();
    return kExitOk;
}

}  // namespace korvo::cli
