// korvo serve: the line monitor without a window, its ports' state and values published to an
// MQTT broker and served as Modbus TCP input registers.

#include <QCoreApplication>
#include <QHostAddress>
#include <QSysInfo>
#include <memory>

#include "cli/Commands.h"
#include "cli/LineRun.h"
#include "core/serve/LineModbusServer.h"
#include "core/serve/LinePublisher.h"
#include "core/serve/MqttClient.h"
#include "core/serve/ServeReport.h"

namespace korvo::cli {

namespace {

std::optional<QString> environmentPassword() {
    if (!qEnvironmentVariableIsSet("KORVO_MQTT_PASSWORD")) return std::nullopt;
    return qEnvironmentVariable("KORVO_MQTT_PASSWORD");
}

}  // namespace

int cmdServe(const Options& o, Output& out) {
    std::vector<int> ports;
    QString error;
    if (!resolvePorts(o, ports, error)) {
        out.error(error);
        return kExitUsage;
    }
    std::optional<MqttEndpoint> endpoint;
    if (!o.mqttUrl.isEmpty()) {
        endpoint = parseMqttUrl(o.mqttUrl, environmentPassword(), error);
        if (!endpoint) {
            out.error(QStringLiteral("--mqtt: ") + error);
            return kExitUsage;
        }
        endpoint->caFile = o.caFile;
    }
    const QString name = o.lineName.isEmpty() ? QSysInfo::machineHostName() : o.lineName;
    if (endpoint && !isTopicName(name)) {
        out.error(QStringLiteral("the host name '%1' cannot name the line in topics: give --name")
                      .arg(name));
        return kExitUsage;
    }

    LineRun line(o, ports);
    LineMonitor& monitor = line.monitor;
    QtPump& pump = line.pump;

    std::unique_ptr<LineModbusServer> modbus;
    if (o.modbusPort != 0) {
        modbus = std::make_unique<LineModbusServer>([&](int first, int count) {
            return inputRegisters(monitor.watches(), first, count, pump.now());
        });
        const QString host = o.modbusHost.isEmpty() ? QStringLiteral("0.0.0.0") : o.modbusHost;
        modbus->setConnectionParameter(QModbusDevice::NetworkAddressParameter, host);
        modbus->setConnectionParameter(QModbusDevice::NetworkPortParameter, o.modbusPort);
        if (!modbus->connectDevice()) {
            out.error(QStringLiteral("Modbus TCP port %1:%2 not taken: %3")
                          .arg(host)
                          .arg(o.modbusPort)
                          .arg(modbus->errorString()));
            return kExitOpen;
        }
        out.message(QStringLiteral("Modbus TCP on %1:%2, %3 ports")
                        .arg(host)
                        .arg(o.modbusPort)
                        .arg(ports.size()));
    }

    bool done = false;
    int exit = kExitOk;
    std::unique_ptr<MqttClient> client;
    std::unique_ptr<LinePublisher> publisher;
    if (endpoint) {
        const QByteArray id = QStringLiteral("korvo-%1-%2")
                                  .arg(name)
                                  .arg(QCoreApplication::applicationPid())
                                  .toUtf8();
        client = std::make_unique<MqttClient>(*endpoint, id, LinePublisher::will(name));
        publisher = std::make_unique<LinePublisher>(
            monitor, *client, LinePublisher::Settings{name, o.rate, o.valueQos});
        const QString broker = client->brokerText();
        const auto connected = client->connected;  // the publisher's: status and states afresh
        client->connected = [&out, broker, name, connected] {
            out.message(QStringLiteral("MQTT broker %1 connected, line %2").arg(broker, name));
            if (connected) connected();
        };
        client->problem = [&out](const QString& text) { out.error(text); };
        client->refused = [&](const QString& text) {
            out.error(text);
            if (client->everConnected()) return;
            exit = kExitUsage;
            done = true;
        };
        publisher->start();
        if (!client->start(error)) {
            out.error(error);
            return kExitUsage;
        }
    }

    line.run(o, done);
    if (publisher) publisher->finish();
    if (modbus) modbus->disconnectDevice();
    monitor.stop();
    return exit;
}

}  // namespace korvo::cli
