// korvo serve over virtual sensors paced at 115200 baud, publishing into a local mosquitto broker
// with values at QoS 1, and a subscriber to korvo/#: every record as a message of its own
// (--rate 0) from 16 and from 112 ports, and the default 10 messages a second per port from 112.
// Figures: the records a second korvo measured (its samples counters, read over Modbus at the
// start and the end of the window) against the records in the value messages the subscriber
// received (aim 1.0, nothing lost; since start, with every sensor unplugged at the end so that
// no record is still on its way), the values korvo dropped, and how long a value took from
// korvo's time stamp, taken as it handles the record, to the subscriber's receipt (median and
// 99th percentile; the stamp has millisecond resolution). The sensors, korvo, the broker and the
// subscriber share this machine's cores. The broker holds any number of messages for the
// subscriber, so a subscriber that falls behind is not dropped from.
//
// Usage: bench_serve [seconds]   (default 10, measured after every port is live)

#include <mosquitto.h>
#include <pwd.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QtEndian>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <vector>

#include "BenchFigures.h"
#include "PacedLine.h"
#include "sim/SensorFarm.h"

namespace {

using namespace korvo;
using namespace korvo::bench;

int freePort() {
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

[[noreturn]] void fail(const QString& what) {
    std::printf("bench_serve: %s\n", qPrintable(what));
    std::exit(1);
}

struct Received {
    std::mutex mutex;
    long values = 0;  // records in the value messages of the measured window
    long all = 0;     // records in the value messages since korvo started
    bool counting = false;
    std::vector<double> delaysMs;
    std::map<QByteArray, qint64> dropped;  // droppedValues of each port's last state message
};

void onMessage(mosquitto*, void* self, const mosquitto_message* m) {
    const double now = static_cast<double>(QDateTime::currentMSecsSinceEpoch());
    auto* r = static_cast<Received*>(self);
    const QByteArray topic(m->topic);
    const QJsonObject j =
        QJsonDocument::fromJson(QByteArray(static_cast<const char*>(m->payload), m->payloadlen))
            .object();
    if (topic.endsWith("/state")) {
        std::lock_guard lock(r->mutex);
        r->dropped[topic] = j.value(QLatin1String("droppedValues")).toInteger();
        return;
    }
    if (!topic.endsWith("/value")) return;
    const QDateTime stamp =
        QDateTime::fromString(j.value(QLatin1String("time")).toString(), Qt::ISODateWithMs);
    std::lock_guard lock(r->mutex);
    const long samples = j.value(QLatin1String("samples")).toInteger();
    r->all += samples;
    if (!r->counting) return;
    r->values += samples;
    if (stamp.isValid())
        r->delaysMs.push_back(now - static_cast<double>(stamp.toMSecsSinceEpoch()));
}

void onConnect(mosquitto* m, void*, int rc) {
    if (rc == 0) mosquitto_subscribe(m, nullptr, "korvo/#", 1);
}

// `count` input registers from `first`; empty on no answer.
std::vector<quint16> readRegisters(QTcpSocket& s, int first, int count) {
    QByteArray frame(12, '\0');
    qToBigEndian<quint16>(6, frame.data() + 4);
    frame[6] = '\xFF';
    frame[7] = 4;
    qToBigEndian<quint16>(static_cast<quint16>(first), frame.data() + 8);
    qToBigEndian<quint16>(static_cast<quint16>(count), frame.data() + 10);
    s.write(frame);
    QByteArray reply;
    while (reply.size() < 9 + 2 * count) {
        if (!s.waitForReadyRead(3000)) return {};
        reply += s.readAll();
    }
    std::vector<quint16> out;
    for (int i = 0; i < count; ++i)
        out.push_back(qFromBigEndian<quint16>(reply.constData() + 9 + 2 * i));
    return out;
}

// Samples since start of every port, summed; -1 on no answer.
long measuredRecords(QTcpSocket& s, int sensors) {
    long sum = 0;
    for (int com = 1; com <= sensors; ++com) {
        const auto r = readRegisters(s, 20 * (com - 1) + 12, 2);
        if (r.size() != 2) return -1;
        sum += static_cast<long>(r[0]) * 65536 + r[1];
    }
    return sum;
}

// CPU seconds a process has used so far (user and system), from /proc.
double cpuSecondsOf(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return 0.0;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> f = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (f.size() < 13) return 0.0;
    return (f[11].toDouble() + f[12].toDouble()) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

bool allLive(QTcpSocket& s, int sensors) {
    for (int com = 1; com <= sensors; ++com) {
        const auto r = readRegisters(s, 20 * (com - 1), 1);
        if (r.size() != 1 || r[0] != 2) return false;
    }
    return true;
}

void measure(const int sensors, const char* rate, double seconds) {
    QTemporaryDir dir;
    const QString map = dir.filePath(QStringLiteral("COMPORTS.map"));
    sim::SensorFarm farm;
    startPacedLine(farm, sensors, map);

    const int brokerPort = freePort();
    QFile conf(dir.filePath(QStringLiteral("mosquitto.conf")));
    if (!conf.open(QIODevice::WriteOnly)) fail(QStringLiteral("no broker configuration"));
    conf.write(QStringLiteral(
                   "listener %1 127.0.0.1\nallow_anonymous true\npersistence false\n"
                   "log_type error\nuser %2\nmax_inflight_messages 0\nmax_queued_messages 200000\n")
                   .arg(brokerPort)
                   .arg(QString::fromLocal8Bit(getpwuid(getuid())->pw_name))
                   .toUtf8());
    conf.close();
    QProcess broker;
    broker.setStandardErrorFile(dir.filePath(QStringLiteral("mosquitto.log")));
    broker.start(QStringLiteral("mosquitto"), {"-c", conf.fileName()});
    if (!broker.waitForStarted(5000)) fail(QStringLiteral("mosquitto did not start"));
    QThread::msleep(300);

    Received received;
    mosquitto_lib_init();
    mosquitto* sub = mosquitto_new(nullptr, true, &received);
    mosquitto_connect_callback_set(sub, onConnect);
    mosquitto_message_callback_set(sub, onMessage);
    if (mosquitto_connect(sub, "127.0.0.1", brokerPort, 30) != MOSQ_ERR_SUCCESS)
        fail(QStringLiteral("the subscriber did not reach the broker"));
    mosquitto_loop_start(sub);

    const int modbusPort = freePort();
    QProcess serve;
    serve.setStandardErrorFile(dir.filePath(QStringLiteral("serve.log")));
    serve.setStandardOutputFile(QProcess::nullDevice());
    serve.start(
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("korvo")),
        {"--map", map, "--baud", "115200", "serve", QStringLiteral("1-%1").arg(sensors), "--mqtt",
         QStringLiteral("mqtt://127.0.0.1:%1").arg(brokerPort), "--name", "bench", "--rate", rate,
         "--qos-values", "1", "--modbus", QStringLiteral("127.0.0.1:%1").arg(modbusPort)});
    if (!serve.waitForStarted(5000)) fail(QStringLiteral("korvo did not start"));

    // Every port live: each has records coming (its samples counter moves).
    QTcpSocket modbus;
    for (int i = 0; i < 100 && modbus.state() != QAbstractSocket::ConnectedState; ++i) {
        modbus.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(modbusPort));
        if (!modbus.waitForConnected(200)) QThread::msleep(100);
    }
    if (modbus.state() != QAbstractSocket::ConnectedState) fail(QStringLiteral("no Modbus"));
    // 112 ports join one after the other.
    QElapsedTimer joining;
    joining.start();
    while (!allLive(modbus, sensors) && joining.elapsed() < 120000) QThread::msleep(500);
    const double joined = static_cast<double>(joining.elapsed()) / 1000.0;

    const long before = measuredRecords(modbus, sensors);
    {
        std::lock_guard lock(received.mutex);
        received.counting = true;
    }
    const double processBefore = processCpuSeconds();
    const double serveBefore = cpuSecondsOf(serve.processId());
    const double brokerBefore = cpuSecondsOf(broker.processId());
    QThread::msleep(static_cast<unsigned long>(seconds * 1000));
    const long after = measuredRecords(modbus, sensors);
    const double serveCpu = (cpuSecondsOf(serve.processId()) - serveBefore) / seconds;
    const double brokerCpu = (cpuSecondsOf(broker.processId()) - brokerBefore) / seconds;
    const double benchCpu = (processCpuSeconds() - processBefore) / seconds;
    long inWindow = 0;
    std::vector<double> delays;
    {
        std::lock_guard lock(received.mutex);
        inWindow = received.values;
        delays = received.delaysMs;
    }
    // Nothing lost: with every sensor unplugged no record comes any more, so once the last
    // values arrived, every record korvo took since it started is one value message received.
    for (int i = 0; i < sensors; ++i) farm.sensor(i).hangUp();
    QThread::msleep(2000);
    const long total = measuredRecords(modbus, sensors);
    long totalReceived = 0;
    qint64 dropped = 0;
    {
        std::lock_guard lock(received.mutex);
        totalReceived = received.all;
        for (const auto& [topic, n] : received.dropped)
            dropped = std::max(dropped, n);  // line-wide count
    }
    serve.terminate();
    serve.waitForFinished(10000);
    mosquitto_disconnect(sub);
    mosquitto_loop_stop(sub, true);
    mosquitto_destroy(sub);
    broker.terminate();
    broker.waitForFinished(5000);

    if (before < 0 || after < 0 || total < 0) fail(QStringLiteral("Modbus reads went unanswered"));
    std::sort(delays.begin(), delays.end());
    const double p99 = delays.empty() ? 0.0 : delays[delays.size() * 99 / 100];
    const double measured = static_cast<double>(after - before) / seconds;
    std::printf(
        "%d sensors at 115200 baud (all live after %.1f s), --rate %s, values at QoS 1, %.0f s:\n"
        "  records/s measured %.0f (%.1f per port, line limit 160); records/s in the value "
        "messages received %.0f\n"
        "  since start: %ld records measured, %ld in value messages received (ratio %.4f), "
        "%lld value messages dropped by korvo\n"
        "  delay from korvo's stamp to receipt: median %.1f ms, 99th percentile %.1f ms\n"
        "  CPU: korvo %.2f, mosquitto %.2f, virtual sensors and subscriber %.2f of %d cores\n",
        sensors, joined, rate, seconds, measured, measured / sensors,
        static_cast<double>(inWindow) / seconds, total, totalReceived,
        total > 0 ? static_cast<double>(totalReceived) / static_cast<double>(total) : 0.0,
        static_cast<long long>(dropped), median(delays), p99, serveCpu, brokerCpu, benchCpu,
        QThread::idealThreadCount());
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    measure(16, "0", seconds);
    measure(112, "0", seconds);
    measure(112, "10", seconds);
    return 0;
}
