// korvo serve over real TCP: the Modbus input registers of the watched ports, read only, robust
// against a client that sends garbage, at most 16 clients, and a port already taken; and the MQTT
// messages through a real broker, across an unplugged sensor, a broker restart, refused
// credentials, a clean stop and a killed server.

#include <QEventLoop>
#include <QModbusDataUnit>
#include <QModbusReply>
#include <QModbusTcpClient>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QtEndian>
#include <csignal>

#include "CliRig.h"
#include "support/BrokerRig.h"

namespace korvo::test {
namespace {

int freePort() {
    QTcpServer probe;
    EXPECT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    return probe.serverPort();
}

QTcpSocket* connectTo(int port, QObject* owner) {
    auto* s = new QTcpSocket(owner);
    s->connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
    EXPECT_TRUE(s->waitForConnected(3000)) << s->errorString().toStdString();
    return s;
}

// One request (unit 255) and the PDU of its answer: function code, then its data. Empty when
// none came within 3 s.
QByteArray ask(QTcpSocket& s, quint8 function, const QByteArray& data) {
    QByteArray frame(7, '\0');
    qToBigEndian<quint16>(7, frame.data());
    qToBigEndian<quint16>(static_cast<quint16>(data.size() + 2), frame.data() + 4);
    frame[6] = '\xFF';
    s.write(frame + static_cast<char>(function) + data);
    QByteArray reply;
    while (reply.size() < 7 || reply.size() < 6 + qFromBigEndian<quint16>(reply.constData() + 4)) {
        if (!s.waitForReadyRead(3000)) return {};
        reply += s.readAll();
    }
    return reply.mid(7);
}

QByteArray readRequest(int first, int count) {
    QByteArray d(4, '\0');
    qToBigEndian<quint16>(static_cast<quint16>(first), d.data());
    qToBigEndian<quint16>(static_cast<quint16>(count), d.data() + 2);
    return d;
}

quint16 reg(const QByteArray& pdu, int i) {
    return qFromBigEndian<quint16>(pdu.constData() + 2 + 2 * i);
}

// Sleeps on the event loop until `done` or 5 s.
template <typename Sender, typename Done>
void waitUntil(Sender* sender, Done done) {
    QEventLoop loop;
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    QObject::connect(sender, done, &loop, &QEventLoop::quit);
    loop.exec();
}

// `count` input registers from `first` as Qt's own Modbus client reads them (unit 255); empty
// on any error.
std::vector<quint16> readWithQtClient(int port, int first, int count) {
    QModbusTcpClient client;
    client.setConnectionParameter(QModbusDevice::NetworkAddressParameter, "127.0.0.1");
    client.setConnectionParameter(QModbusDevice::NetworkPortParameter, port);
    if (!client.connectDevice()) return {};
    if (client.state() != QModbusDevice::ConnectedState)
        waitUntil(&client, &QModbusDevice::stateChanged);
    if (client.state() != QModbusDevice::ConnectedState) return {};
    std::unique_ptr<QModbusReply> reply(client.sendReadRequest(
        QModbusDataUnit(QModbusDataUnit::InputRegisters, first, static_cast<quint16>(count)), 255));
    if (!reply) return {};
    if (!reply->isFinished()) waitUntil(reply.get(), &QModbusReply::finished);
    if (!reply->isFinished() || reply->error() != QModbusDevice::NoError) return {};
    const QList<quint16> values = reply->result().values();
    return {values.begin(), values.end()};
}

TEST(CliServe, ModbusServesTheLineReadOnlyAndKeepsServingPastBadClients) {
    CliRig rig({model(), model()});
    const int port = freePort();
    const auto serve =
        rig.start({"serve", "1,2", "--modbus", QStringLiteral("127.0.0.1:%1").arg(port), "--rate",
                   "0", "--duration", "60"});
    QObject owner;
    QTcpSocket* client = nullptr;
    for (int i = 0; i < 50 && !client; ++i) {
        auto* s = new QTcpSocket(&owner);
        s->connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
        if (s->waitForConnected(200))
            client = s;
        else
            serve->waitForFinished(100);
    }
    ASSERT_TRUE(client) << serve->readAllStandardError().toStdString();

    // COM2's block once the port is live.
    QByteArray block;
    for (int i = 0; i < 100; ++i) {
        block = ask(*client, 4, readRequest(20, 20));
        ASSERT_EQ(block.size(), 2 + 40);
        if (reg(block, 0) == 2) break;
        serve->waitForFinished(100);
    }
    EXPECT_EQ(reg(block, 0), 2);  // live
    EXPECT_EQ(reg(block, 1), rig.sensor(1).config().serial);
    EXPECT_NEAR(reg(block, 2), rig.sensor(1).measuredValue(), 50);  // the edges drift slowly
    EXPECT_GT(reg(block, 12) * 65536 + reg(block, 13), 0);          // samples since start
    EXPECT_EQ(reg(ask(*client, 4, readRequest(40, 1)), 0), 0);      // COM3: not served
    // A common client reads the same: Qt's own, across the blocks of COM1 and COM2.
    const std::vector<quint16> both = readWithQtClient(port, 15, 10);
    ASSERT_EQ(both.size(), 10u);
    EXPECT_EQ(both[5], 2);
    EXPECT_EQ(both[6], rig.sensor(1).config().serial);

    // Writes and out-of-map reads get exceptions; the sensors never see a write.
    const std::vector<std::pair<std::pair<quint8, QByteArray>, QByteArray>> refused = {
        {{6, QByteArray("\x00\x00\x00\x05", 4)}, QByteArray("\x86\x01", 2)},
        {{16, QByteArray("\x00\x00\x00\x01\x02\x00\x01", 7)}, QByteArray("\x90\x01", 2)},
        {{4, readRequest(2239, 2)}, QByteArray("\x84\x02", 2)},
        {{4, readRequest(0, 126)}, QByteArray("\x84\x03", 2)},
    };
    for (const auto& [request, answer] : refused)
        EXPECT_EQ(ask(*client, request.first, request.second), answer) << int(request.first);
    for (int i = 0; i < 2; ++i) EXPECT_EQ(requestCount(rig.sensor(i), 1), 0);

    // Garbage and a frame that never ends: the other client is served all the same.
    QTcpSocket* bad = connectTo(port, &owner);
    bad->write(QByteArray(300, '\xFF'));
    QTcpSocket* stuck = connectTo(port, &owner);
    stuck->write(QByteArray("\x00\x01\x00\x00\xEA\x60\xFF\x04", 8));
    EXPECT_EQ(ask(*client, 4, readRequest(0, 1)).size(), 4);

    // Sixteen clients at a time: the next is closed at once.
    std::vector<QTcpSocket*> more;
    for (int i = 3; i < 16; ++i) more.push_back(connectTo(port, &owner));
    QTcpSocket* extra = connectTo(port, &owner);
    EXPECT_TRUE(extra->state() == QAbstractSocket::UnconnectedState ||
                extra->waitForDisconnected(3000));
    EXPECT_EQ(ask(*client, 4, readRequest(0, 1)).size(), 4);

    // The port is taken: a second server says so and ends with 3.
    const CliRun second =
        rig.run({"serve", "1", "--modbus", QStringLiteral("127.0.0.1:%1").arg(port)});
    EXPECT_EQ(second.exit, 3);
    EXPECT_TRUE(second.err.contains("not taken")) << second.err.toStdString();
    // Port 1 is a port like any other: one not taken ends with 3, never as a usage error.
    EXPECT_NE(rig.run({"serve", "1", "--modbus", "127.0.0.1:1", "--duration", "0.1"}).exit, 2);

    ASSERT_TRUE(signalIfRunning(*serve, SIGTERM));
    ASSERT_TRUE(serve->waitForFinished(10000));
    EXPECT_EQ(serve->exitCode(), 0) << serve->readAllStandardError().toStdString();
}

// Reads standard error of a running korvo until it holds `text`, at most `seconds`.
bool errorSays(QProcess& p, QByteArray& err, const char* text, double seconds) {
    for (int i = 0; i < seconds * 10 && !err.contains(text); ++i) {
        p.waitForFinished(100);
        err += p.readAllStandardError();
    }
    return err.contains(text);
}

TEST(CliServe, MqttPublishesTheLineThroughUnplugAndBrokerRestartAndStopsOffline) {
    CliRig rig({model(), model()});
    Broker broker(rig.dir.path());
    const int modbusPort = freePort();
    // The broker is not up yet: korvo says so and tries again.
    const auto serve = rig.start(
        {"serve", "1,2", "--mqtt", broker.url(), "--name", "line-a", "--rate", "20", "--modbus",
         QStringLiteral("127.0.0.1:%1").arg(modbusPort), "--duration", "120"});
    QByteArray err;
    ASSERT_TRUE(errorSays(*serve, err, "not reached", 5)) << err.toStdString();
    ASSERT_TRUE(broker.start());
    Subscriber sub(broker.port());
    const auto online = [&](std::size_t from) {
        return sub.wait(
            [](const MqttMessage& m) {
                return m.topic == "korvo/line-a/status" && m.payload == "online";
            },
            10, from);
    };
    ASSERT_TRUE(online(0)) << err.toStdString();
    EXPECT_TRUE(errorSays(*serve, err, " connected, line line-a\n", 5)) << err.toStdString();

    const auto live = sub.waitJson("korvo/line-a/COM1/state", "state", "live", 10);
    ASSERT_TRUE(live);
    EXPECT_EQ(num(live->json(), "serial"), rig.sensor(0).config().serial);
    EXPECT_TRUE(live->json()["limits"].toObject().contains("upperMm"));
    const auto value =
        sub.wait([](const MqttMessage& m) { return m.topic == "korvo/line-a/COM2/value"; }, 10);
    ASSERT_TRUE(value);
    const QJsonObject v = value->json();
    EXPECT_GE(num(v, "samples"), 1);
    // The edges drift slowly: the sensor's value now is near the last one sent.
    const QJsonObject px = v["pixels"].toObject();
    EXPECT_NEAR(px["last"].toInt(), rig.sensor(1).measuredValue(), 50);
    EXPECT_LE(px["min"].toInt(), px["last"].toInt());
    EXPECT_GE(px["max"].toInt(), px["last"].toInt());
    EXPECT_TRUE(QRegularExpression(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z$)")
                    .match(str(v, "time"))
                    .hasMatch())
        << str(v, "time").toStdString();

    // Unplugged and plugged back: line lost and live again, in both outputs.
    QObject owner;
    QTcpSocket* modbus = connectTo(modbusPort, &owner);
    std::size_t mark = sub.count();
    rig.sensor(0).hangUp();
    ASSERT_TRUE(sub.waitJson("korvo/line-a/COM1/state", "state", "line lost", 5, mark));
    EXPECT_EQ(reg(ask(*modbus, 4, readRequest(0, 1)), 0), 4);
    mark = sub.count();
    ASSERT_FALSE(rig.sensor(0).reopen().isEmpty());
    rig.rewriteMap();
    ASSERT_TRUE(sub.waitJson("korvo/line-a/COM1/state", "state", "live", 10, mark));
    EXPECT_EQ(reg(ask(*modbus, 4, readRequest(0, 1)), 0), 2);

    // A state message only when something changed: COM2 went live once.
    EXPECT_EQ(sub.countIf([](const MqttMessage& m) {
        return m.topic == "korvo/line-a/COM2/state" && str(m.json(), "state") == "live";
    }),
              1u);

    // The broker goes away and comes back: status and states afresh, values dropped meanwhile
    // counted in them.
    broker.stop();
    // Lost after it had been accepted: the first try again comes a second later.
    ASSERT_TRUE(errorSays(*serve, err, " lost: ", 5)) << err.toStdString();
    EXPECT_TRUE(QString::fromUtf8(err).contains(QRegularExpression(" lost: .*; next try in 1 s\n")))
        << err.toStdString();
    mark = sub.count();
    ASSERT_TRUE(broker.start());
    ASSERT_TRUE(online(mark));
    const auto again = sub.wait(
        [](const MqttMessage& m) {
            return m.topic == "korvo/line-a/COM2/state" && num(m.json(), "droppedValues") > 0;
        },
        10, mark);
    EXPECT_TRUE(again) << err.toStdString();

    mark = sub.count();
    ASSERT_TRUE(signalIfRunning(*serve, SIGTERM));
    ASSERT_TRUE(serve->waitForFinished(10000));
    EXPECT_EQ(serve->exitCode(), 0) << serve->readAllStandardError().toStdString();
    EXPECT_TRUE(sub.wait([](const MqttMessage& m) { return m.payload == "offline"; }, 5, mark));
    // Retained: a subscriber that comes later is told the line's status and the ports' states.
    Subscriber late(broker.port());
    EXPECT_TRUE(late.wait(
        [](const MqttMessage& m) {
            return m.retained && m.topic == "korvo/line-a/status" && m.payload == "offline";
        },
        5));
    EXPECT_TRUE(late.waitJson("korvo/line-a/COM2/state", "state", "live", 5));
}

TEST(CliServe, MqttRefusedCredentialsExitTwoTlsChecksTheBrokerAndAKilledServerLeavesItsWill) {
    CliRig rig({model()});
    Broker broker(rig.dir.path(), "line", "secret");
    const QString ca = broker.addTlsListener();
    ASSERT_FALSE(ca.isEmpty());
    ASSERT_TRUE(broker.start());
    const CliRun wrong =
        rig.run({"serve", "1", "--mqtt", broker.url("line:wrong"), "--duration", "20"});
    EXPECT_EQ(wrong.exit, 2);
    EXPECT_TRUE(wrong.err.contains("refused")) << wrong.err.toStdString();
    EXPECT_FALSE(wrong.err.contains("wrong") || wrong.err.contains("Modbus"));

    // Over TLS, the broker's certificate checked against the CA given, the password from the
    // environment, off the command line. A certificate from a CA not given is refused.
    Subscriber sub(broker.port(), "line", "secret");
    const QString tls = QStringLiteral("mqtts://line@127.0.0.1:%1").arg(broker.tlsPort());
    const auto untrusted = rig.start({"serve", "1", "--mqtt", tls, "--name", "c"});
    QByteArray err;
    EXPECT_TRUE(errorSays(*untrusted, err, "not reached: A TLS error", 10)) << err.toStdString();
    signalIfRunning(*untrusted, SIGTERM);
    untrusted->waitForFinished(10000);
    qputenv("KORVO_MQTT_PASSWORD", "secret");
    const auto serve = rig.start({"serve", "1", "--mqtt", tls, "--ca-file", ca, "--name", "b"});
    qunsetenv("KORVO_MQTT_PASSWORD");
    ASSERT_TRUE(sub.waitJson("korvo/b/COM1/state", "state", "live", 10));
    const std::size_t mark = sub.count();
    ASSERT_TRUE(signalIfRunning(*serve, SIGKILL));
    serve->waitForFinished(5000);
    EXPECT_TRUE(sub.wait(
        [](const MqttMessage& m) { return m.topic == "korvo/b/status" && m.payload == "offline"; },
        10, mark));
}

}  // namespace
}  // namespace korvo::test
