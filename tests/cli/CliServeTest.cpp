// korvo serve over real TCP: the Modbus input registers of the watched ports, read only, robust
// against a client that sends garbage, at most 16 clients, and a port already taken.

#include <QTcpServer>
#include <QTcpSocket>
#include <QtEndian>

#include "CliRig.h"

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

TEST(CliServe, ModbusServesTheLineReadOnlyAndKeepsServingPastBadClients) {
    CliRig rig({model(), model()});
    const int port = freePort();
    const auto serve = rig.start(
        {"serve", "1,2", "--modbus", QStringLiteral("127.0.0.1:%1").arg(port), "--duration", "60"});
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
    EXPECT_EQ(reg(block, 2), rig.sensor(1).measuredValue());
    EXPECT_GT(reg(block, 12) * 65536 + reg(block, 13), 0);  // samples since start
    EXPECT_EQ(reg(ask(*client, 4, readRequest(40, 1)), 0), 0);     // COM3: not served

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

    ASSERT_TRUE(signalIfRunning(*serve, SIGTERM));
    ASSERT_TRUE(serve->waitForFinished(10000));
    EXPECT_EQ(serve->exitCode(), 0) << serve->readAllStandardError().toStdString();
}

}  // namespace
}  // namespace korvo::test
