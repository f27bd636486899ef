#include "support/DeviceServer.h"

#include <QFile>
#include <QTcpServer>
#include <algorithm>

#include "core/link/Pump.h"

namespace korvo::test {

namespace {

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

}  // namespace

int freeLoopbackPort() {
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

DeviceServer::DeviceServer(QString folder) : config_(folder + QStringLiteral("/ser2net.yaml")) {}

DeviceServer::~DeviceServer() {
    kill();
}

int DeviceServer::add(const QString& telnet, const QString& connector, Tuning tuning) {
    const int port = freeLoopbackPort();
    accepters_.push_back({telnet, connector, tuning, port});
    return port;
}

bool DeviceServer::start(Pump& pump) {
    kill();
    QByteArray yaml;
    for (std::size_t i = 0; i < accepters_.size(); ++i) {
        const Accepter& a = accepters_[i];
        const bool interactive = a.tuning == Tuning::Interactive;
        const QString accepter =
            (a.telnet.isEmpty() ? QString() : a.telnet + QLatin1Char(',')) +
            (interactive ? QStringLiteral("tcp(nodelay)") : QStringLiteral("tcp"));
        yaml += QStringLiteral("connection: &c%1\n  accepter: %2,127.0.0.1,%3\n  connector: %4\n")
                    .arg(i)
                    .arg(accepter)
                    .arg(a.port)
                    .arg(a.connector)
                    .toUtf8();
        if (interactive) yaml += "  options:\n    chardelay: false\n";
    }
    QFile f(config_);
    if (!f.open(QIODevice::WriteOnly) || f.write(yaml) != yaml.size()) return false;
    f.close();

    process_ = std::make_unique<QProcess>();
    process_->setProcessChannelMode(QProcess::MergedChannels);
    process_->setStandardOutputFile(QString(config_).replace(".yaml", ".log"), QIODevice::Append);
    process_->start(QStringLiteral("ser2net"), {"-n", "-u", "-c", config_});
    if (!process_->waitForStarted(5000)) return false;
    const double deadline = pump.now() + 5.0;
    while (!std::all_of(accepters_.begin(), accepters_.end(),
                        [](const Accepter& a) { return listening(a.port); })) {
        if (pump.now() >= deadline || process_->state() != QProcess::Running) return false;
        pump.delay(0.02);
    }
    return true;
}

void DeviceServer::kill() {
    if (!process_ || process_->state() == QProcess::NotRunning) return;
    process_->kill();
    process_->waitForFinished(5000);
}

}  // namespace korvo::test
