// Sensors behind a serial device server: Debian's real ser2net (support/DeviceServer.h), with one
// accepter speaking RFC 2217 and one raw TCP, each in front of a virtual sensor's pseudo-terminal.
// The PC side reaches them through port map lines such as "COM11 = rfc2217://127.0.0.1:PORT" and
// must work them as it works local devices.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QTimer>
#include <fstream>
#include <sstream>
#include <string>

#include "LinkRig.h"
#include "core/link/PortSettings.h"
#include "core/measure/MeasureLoops.h"
#include "support/DeviceServer.h"

namespace korvo::test {
namespace {

// A loopback listener whose queue is full: the system drops each further connection's first
// packet, so an attempt neither succeeds nor fails until its time runs out.
struct FullListener {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    int filler = ::socket(AF_INET, SOCK_STREAM, 0);
    int port = 0;
    FullListener() {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof a;
        if (::bind(fd, reinterpret_cast<sockaddr*>(&a), size) != 0 || ::listen(fd, 0) != 0 ||
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size) != 0)
            return;
        // A queue of 0 still takes one connection: the filler's.
        if (::connect(filler, reinterpret_cast<sockaddr*>(&a), size) == 0) port = ntohs(a.sin_port);
    }
    ~FullListener() {
        ::close(filler);
        ::close(fd);
    }
};

// Whether the system holds a keepalive timer for our established connection to a loopback
// server port: /proc/net/tcp gives it as timer kind 2 (kind 1 while bytes wait for their
// acknowledgement, which the server may delay by up to 0.2 s).
bool keepAliveArmed(int serverPort) {
    std::ifstream table("/proc/net/tcp");
    std::string slot, local, remote, state, queues, timer;
    const std::string port =
        QStringLiteral(":%1").arg(serverPort, 4, 16, QLatin1Char('0')).toUpper().toStdString();
    for (std::string line; std::getline(table, line);) {
        std::istringstream(line) >> slot >> local >> remote >> state >> queues >> timer;
        if (remote.ends_with(port) && state == "01") return timer.starts_with("02:");
    }
    return false;
}

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
        server = std::make_unique<DeviceServer>(rig->dir.path());
        const auto serial = [](const QString& device) {
            return QStringLiteral("serialdev,%1,19200n81,local").arg(device);
        };
        rfc2217Port = server->add(QStringLiteral("telnet(rfc2217)"), serial(devices.at(0).device));
        rawPort = server->add(QString(), serial(devices.at(1).device));
        // A server in front of no serial port, which cannot set a baud rate: chained to the raw
        // one.
        chainedPort = server->add(QStringLiteral("telnet(rfc2217)"),
                                  QStringLiteral("tcp,127.0.0.1,%1").arg(rawPort));
        ASSERT_TRUE(server->start(rig->pump)) << "ser2net did not start";
        rig->mapLine(kRfc2217Com, url("rfc2217", rfc2217Port));
        rig->mapLine(kRawCom, url("tcp", rawPort));
    }
    static QString url(const char* kind, int port) {
        return QStringLiteral("%1://127.0.0.1:%2").arg(QLatin1String(kind)).arg(port);
    }
    std::unique_ptr<LinkRig> rig;
    std::unique_ptr<DeviceServer> server;
    int rfc2217Port = 0;
    int rawPort = 0;
    int chainedPort = 0;
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
        // An idle connection is probed: a dead server is noticed without an exchange.
        const int serverPort = com == kRfc2217Com ? rfc2217Port : rawPort;
        for (int i = 0; i < 10 && !keepAliveArmed(serverPort); ++i) rig->pump.delay(0.1);
        EXPECT_TRUE(keepAliveArmed(serverPort));
    }

    // The RFC 2217 server confirms the new rate (the port reconnects and sets it); over raw TCP
    // the rate stays with the port, and the sensor follows its own switch as ever.
    for (const int com : {kRfc2217Com, kRawCom}) {
        SCOPED_TRACE(com);
        ASSERT_EQ(s.ChangeBaudRate(com, 4), 1) << rig->bank.errorDetail(com).toStdString();
        EXPECT_EQ(rig->bank.port(com)->baudRate(), 115200);
        EXPECT_EQ(rig->bank.baudChangeNotice(com).isEmpty(), com == kRfc2217Com);
        EXPECT_EQ(s.CheckComLine(com), 1);
    }

    // A port closed and at once opened at another address connects there, not to the old one.
    rig->bank.close(kRfc2217Com);
    rig->pump.delay(0.2);
    rig->bank.close(kRawCom);
    EXPECT_FALSE(rig->bank.port(kRawCom)->isOpen());  // let go of, though still connected
    rig->mapLine(kRawCom, url("rfc2217", rfc2217Port));
    ASSERT_EQ(s.InitRS232(kRawCom, 4), 0) << rig->bank.errorDetail(kRawCom).toStdString();
    ASSERT_EQ(s.CheckComLine(kRawCom), 1);
    EXPECT_EQ(s.link.serialNumber, 201);
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
    EXPECT_TRUE(lost.startsWith(QStringLiteral("COM11 (%1): ").arg(url("rfc2217", rfc2217Port))))
        << lost.toStdString();
    EXPECT_TRUE(lost.contains(QLatin1String("closed"))) << lost.toStdString();

    ASSERT_TRUE(server->start(rig->pump));
    ASSERT_EQ(s.InitRS232(kRfc2217Com, 1), 0) << rig->bank.errorDetail(kRfc2217Com).toStdString();
    EXPECT_EQ(s.CheckComLine(kRfc2217Com), 1);

    // Each opening below fails within the 3 s for connecting (2 s more for the negotiation) with
    // the fixed text and the reason: a port nobody listens on, a raw server taken for an RFC 2217
    // one, a server that cannot set the rate, a host nobody knows (the name service may answer
    // or stay silent) and a server whose queue is full, so the connection is never set up.
    const int nobody = freeLoopbackPort();
    const FullListener full;
    const QString unknown = QStringLiteral("tcp://sensor-cabinet.invalid:4001");
    const struct {
        int com;
        QString address;
        int code;
        QString reason;  // after "COMn (address): "; only its start for the unknown host
    } unreachable[] = {
        {13, url("tcp", nobody), kErrCannotOpen,
         QStringLiteral("cannot connect to 127.0.0.1 port %1: Connection refused").arg(nobody)},
        {14, url("rfc2217", rawPort), kErrCannotOpen,
         QStringLiteral("127.0.0.1 port %1 gave no answer to the RFC 2217 negotiation within 2 s: "
                        "not an RFC 2217 server")
             .arg(rawPort)},
        {15, url("rfc2217", chainedPort), kErrInvalidParameter,
         QStringLiteral("127.0.0.1 port %1 did not confirm the baud rate and serial settings "
                        "within 2 s")
             .arg(chainedPort)},
        {16, unknown, kErrCannotOpen, QString()},
        {17, url("tcp", full.port), kErrCannotOpen,
         QStringLiteral("no connection to 127.0.0.1 port %1 within 3 s").arg(full.port)},
    };
    for (const auto& u : unreachable) {
        SCOPED_TRACE(u.address.toStdString());
        rig->mapLine(u.com, u.address);
        EXPECT_EQ(s.InitRS232(u.com, 1), u.code);
        EXPECT_EQ(s.link.statusText, rs232ErrorText(u.code));
        ASSERT_FALSE(rig->sink.details.empty());
        const QString detail = rig->sink.details.back();
        const QString where = QStringLiteral("COM%1 (%2): ").arg(u.com).arg(u.address);
        if (u.reason.isEmpty()) {
            EXPECT_TRUE(detail.startsWith(where + "cannot connect to sensor-cabinet.invalid port "
                                                  "4001: ") ||
                        detail == where +
                                      "no connection to sensor-cabinet.invalid port 4001 "
                                      "within 3 s")
                << detail.toStdString();
        } else {
            EXPECT_EQ(detail, where + u.reason);
        }
    }
    // A failed opening leaves the port closed: the next one fails for the same reason.
    EXPECT_EQ(s.InitRS232(14, 1), kErrCannotOpen);
    EXPECT_TRUE(rig->sink.details.back().endsWith(unreachable[1].reason));
}

}  // namespace
}  // namespace korvo::test
