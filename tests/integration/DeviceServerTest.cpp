// Sensors behind a serial device server: Debian's real ser2net, started by the test on free
// loopback ports with a configuration of its own, one accepter speaking RFC 2217 and one raw TCP,
// each in front of a virtual sensor's pseudo-terminal. The PC side reaches them through port map
// lines such as "COM11 = rfc2217://127.0.0.1:PORT" and must work them as it works local devices.

#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTimer>

#include "LinkRig.h"
#include "core/link/PortSettings.h"
#include "core/measure/MeasureLoops.h"

namespace korvo::test {
namespace {

int freeLoopbackPort() {
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

// Whether something listens on the loopback port, read from the kernel's socket table: probing
// with a connection would make ser2net open the device for a client that at once goes away.
bool listening(int port) {
    QFile table(QStringLiteral("/proc/net/tcp"));
    if (!table.open(QIODevice::ReadOnly)) return false;
    const QByteArray local =
        "0100007F:" + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    for (const QByteArray& line : table.readAll().split('\n')) {
        const QList<QByteArray> f = line.simplified().split(' ');
        if (f.size() > 3 && f[1] == local && f[3] == "0A") return true;  // 0A: LISTEN
    }
    return false;
}

// ser2net in the foreground with one accepter per kind, both on 127.0.0.1.
class DeviceServer {
    QString config_;  // first: the ports below are numbered after it

public:
    DeviceServer(const QString& folder, const QString& rfc2217Device, const QString& rawDevice)
        : config_(folder + QStringLiteral("/ser2net.yaml")),
          rfc2217Port(freeLoopbackPort()),
          rawPort(freeLoopbackPort()) {
        QFile f(config_);
        if (f.open(QIODevice::WriteOnly))
            f.write(QStringLiteral("connection: &sensor-rfc2217\n"
                                   "  accepter: telnet(rfc2217),tcp,127.0.0.1,%1\n"
                                   "  connector: serialdev,%2,19200n81,local\n"
                                   "connection: &sensor-raw\n"
                                   "  accepter: tcp,127.0.0.1,%3\n"
                                   "  connector: serialdev,%4,19200n81,local\n")
                        .arg(rfc2217Port)
                        .arg(rfc2217Device)
                        .arg(rawPort)
                        .arg(rawDevice)
                        .toUtf8());
    }
    ~DeviceServer() { kill(); }

    // True once both accepters listen. -u: no UUCP lock files, the test's devices are its own.
    bool start(Pump& pump) {
        process_ = std::make_unique<QProcess>();
        process_->setProcessChannelMode(QProcess::MergedChannels);
        process_->setStandardOutputFile(QString(config_).replace(".yaml", ".log"),
                                        QIODevice::Append);
        process_->start(QStringLiteral("ser2net"), {"-n", "-u", "-c", config_});
        if (!process_->waitForStarted(5000)) return false;
        const double deadline = pump.now() + 5.0;
        while (!(listening(rfc2217Port) && listening(rawPort))) {
            if (pump.now() >= deadline || process_->state() != QProcess::Running) return false;
            pump.delay(0.02);
        }
        return true;
    }
    void kill() {
        if (!process_ || process_->state() == QProcess::NotRunning) return;
        process_->kill();
        process_->waitForFinished(5000);
    }

    const int rfc2217Port;
    const int rawPort;

private:
    std::unique_ptr<QProcess> process_;
};

constexpr int kRfc2217Com = 11;
constexpr int kRawCom = 12;

// Two sensors, serials 201 and 202, behind COM11 (RFC 2217) and COM12 (raw TCP).
class DeviceServers : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<sim::SensorConfig> configs(2);
        configs[0].serial = 201;
        configs[1].serial = 202;
        rig = std::make_unique<LinkRig>(configs);
        const auto devices = rig->farm.entries(1);
        server = std::make_unique<DeviceServer>(rig->dir.path(), devices.at(0).device,
                                                devices.at(1).device);
        ASSERT_TRUE(server->start(rig->pump)) << "ser2net did not start";
        rig->mapLine(kRfc2217Com, url("rfc2217", server->rfc2217Port));
        rig->mapLine(kRawCom, url("tcp", server->rawPort));
    }
    static QString url(const char* kind, int port) {
        return QStringLiteral("%1://127.0.0.1:%2").arg(QLatin1String(kind)).arg(port);
    }
    std::unique_ptr<LinkRig> rig;
    std::unique_ptr<DeviceServer> server;
};

// Identification, GET, SEND and run mode through each kind of server; a parameter whose bytes
// are 255 passes both ways (the RFC 2217 link escapes them, the server takes the escape off).
TEST_F(DeviceServers, EachKindOfServerWorksLikeALocalPort) {
    PortSensor& s = rig->scope;
    for (const int com : {kRfc2217Com, kRawCom}) {
        SCOPED_TRACE(com);
        const int index = com - kRfc2217Com;
        ASSERT_EQ(s.InitRS232(com, 1), 0) << rig->bank.errorDetail(com).toStdString();
        ASSERT_EQ(s.CheckComLine(com), 1);
        EXPECT_EQ(s.link.serialNumber, 201 + index);

        s.params = ParamSet{};
        s.params.umSlope = 0x12FFFF34;
        ASSERT_EQ(s.SendParamHalf(kMemoryRam, 1, com), 1);
        EXPECT_EQ(rig->sensor(index).ramHalf(1), packedHalf(s.params, 1, s.model.pixelCount));
        ParamSet back;
        ASSERT_EQ(s.GetParamHalf(kMemoryRam, 1, com, back), 1);
        EXPECT_EQ(back.umSlope, 0x12FFFF34u);

        rig->sensor(index).setMeasurement(300, 500);
        std::vector<RunRecord> shown;
        MeasureLoops loops(s);
        EXPECT_EQ(loops.run(com,
                            [&](const RunRecord& r) {
                                shown.push_back(r);
                                if (shown.size() == 5) s.link.stopFlag = kStopByUser;
                            }),
                  kStopByUser);
        ASSERT_EQ(shown.size(), 5u);
        EXPECT_EQ(shown.back().leftEdge, 300);
        EXPECT_EQ(shown.back().rightEdge, 500);
    }

    // The RFC 2217 server confirms the new rate (the port reconnects and sets it); over raw TCP
    // the rate stays with the port, and the sensor follows its own switch as ever.
    for (const int com : {kRfc2217Com, kRawCom}) {
        SCOPED_TRACE(com);
        ASSERT_EQ(s.ChangeBaudRate(com, 4), 1) << rig->bank.errorDetail(com).toStdString();
        EXPECT_EQ(rig->bank.port(com)->baudRate(), 115200);
        EXPECT_EQ(s.CheckComLine(com), 1);
    }
}

// A server killed while an exchange waits ends that exchange with the reason, as a hang-up does,
// and the next opening connects again. A port the server gives to another client, a port nobody
// listens on and a raw server taken for an RFC 2217 one each fail to open with the reason.
TEST_F(DeviceServers, LostAndUnreachableServersFailWithTheReason) {
    PortSensor& s = rig->scope;
    ASSERT_EQ(s.InitRS232(kRfc2217Com, 1), 0) << rig->bank.errorDetail(kRfc2217Com).toStdString();

    PortBank other(rig->mapPath);
    EXPECT_EQ(other.open(kRfc2217Com, 1, kLargeQueue), kErrCannotOpen);
    EXPECT_TRUE(other.errorDetail(kRfc2217Com).contains(QLatin1String("Port already in use")))
        << other.errorDetail(kRfc2217Com).toStdString();

    rig->sensor(0).setFault(Fault::NoReply, 2, 1);
    QObject context;
    QTimer::singleShot(200, &context, [&] { server->kill(); });
    EXPECT_EQ(s.GetParamHalf(kMemoryRam, 0, kRfc2217Com, s.params), -1);
    EXPECT_EQ(s.link.statusText, QStringLiteral("Timeout-RS-232..."));
    EXPECT_TRUE(rig->bank.isBroken(kRfc2217Com));
    EXPECT_FALSE(rig->bank.isOpen(kRfc2217Com));
    const QString lost = rig->bank.errorDetail(kRfc2217Com);
    EXPECT_TRUE(
        lost.startsWith(QStringLiteral("COM11 (%1): ").arg(url("rfc2217", server->rfc2217Port))))
        << lost.toStdString();
    EXPECT_TRUE(lost.contains(QLatin1String("closed"))) << lost.toStdString();

    ASSERT_TRUE(server->start(rig->pump));
    ASSERT_EQ(s.InitRS232(kRfc2217Com, 1), 0) << rig->bank.errorDetail(kRfc2217Com).toStdString();
    EXPECT_EQ(s.CheckComLine(kRfc2217Com), 1);

    const int nobody = freeLoopbackPort();
    rig->mapLine(13, url("tcp", nobody));
    rig->mapLine(14, url("rfc2217", server->rawPort));
    EXPECT_EQ(s.InitRS232(13, 1), kErrCannotOpen);
    EXPECT_EQ(s.link.statusText, QStringLiteral("Cannot open port"));
    ASSERT_FALSE(rig->sink.details.empty());
    EXPECT_EQ(rig->sink.details.back(),
              QStringLiteral("COM13 (%1): cannot connect to 127.0.0.1 port %2: Connection refused")
                  .arg(url("tcp", nobody))
                  .arg(nobody));
    EXPECT_EQ(s.InitRS232(14, 1), kErrCannotOpen);
    EXPECT_EQ(rig->sink.details.back(),
              QStringLiteral("COM14 (%1): 127.0.0.1 port %2 gave no answer to the RFC 2217 "
                             "negotiation within 2 s: not an RFC 2217 server")
                  .arg(url("rfc2217", server->rawPort))
                  .arg(server->rawPort));
}

}  // namespace
}  // namespace korvo::test
