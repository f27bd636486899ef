#include "cli/PortSession.h"

#include <QThread>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>

#include "core/link/PortMap.h"
#include "core/link/PortSettings.h"

namespace korvo::cli {

PortSession::PortSession(const QString& mapPath) : bank(mapPath), sensor(bank, pump, sink) {}

PortResult newResult(PortSession& s, int port, const QString& command) {
    PortResult r;
    r.port = port;
    r.device = s.bank.devicePathFor(port);
    r.json[QStringLiteral("type")] = QStringLiteral("result");
    r.json[QStringLiteral("command")] = command;
    r.json[QStringLiteral("port")] = port;
    r.json[QStringLiteral("device")] = r.device;
    return r;
}

void finish(PortResult& r, const QString& outcome, int exit, const QString& detail) {
    r.exit = exit;
    r.outcome = outcome;
    r.detail = detail;
    r.json[QStringLiteral("outcome")] = outcome;
    r.json[QStringLiteral("exit")] = exit;
    if (!detail.isEmpty()) r.json[QStringLiteral("detail")] = detail;
}

QStringList resultCells(const PortResult& r, int extraColumns) {
    QStringList cells{QStringLiteral("COM%1").arg(r.port), r.device, r.outcome};
    for (int i = 0; i < extraColumns; ++i) {
        const QString cell = i < r.extra.size() ? r.extra[i] : QString();
        cells << (cell.isEmpty() ? QStringLiteral("-") : cell);
    }
    cells << r.detail;
    return cells;
}

bool openPort(PortSession& s, int port, int baudIndex, PortResult& r) {
    const int result = s.sensor.InitRS232(port, baudIndex);
    if (result >= 0) return true;
    if (!s.bank.portMapProblem().isEmpty()) {
        // No port was tried: the fault is in a file, not on the line.
        finish(r, QStringLiteral("map-error"), kExitUsage, s.bank.errorDetail(port));
        return false;
    }
    // The fixed text, then the device path and the system's reason with its hint (the dialout
    // group for a permission error).
    QString detail = rs232ErrorText(result);
    const QString why = s.bank.errorDetail(port);
    if (!why.isEmpty())
        detail +=
            QStringLiteral(": ") + QString(why).replace(QLatin1Char('\n'), QStringLiteral("; "));
    finish(r, QStringLiteral("open-error"), kExitOpen, detail);
    return false;
}

bool connectSensor(PortSession& s, int port, bool readParameters, PortResult& r,
                   IdentifyReport* reportOut) {
    IdentifyOptions options;
    options.readParameters = readParameters;
    const IdentifyReport report = identifySensor(s.sensor, port, options);
    if (reportOut != nullptr) *reportOut = report;
    if (report.verdict != IdentifyVerdict::Accepted) {
        finish(r, QLatin1String(verdictName(report.verdict)), kExitSensor, report.reason);
        return false;
    }
    if (readParameters && report.parametersRead != 1) {
        const QString why = QStringLiteral("parameters not read: ") + report.parametersReason;
        finish(r, QStringLiteral("failed"), kExitSensor, why);
        return false;
    }
    return true;
}

int runOnPorts(const QString& mapPath, const std::vector<int>& ports, const PortJob& job,
               const std::function<void(const PortResult&)>& print,
               const std::function<void()>& tick) {
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<std::optional<PortResult>> results(ports.size());
    std::vector<std::unique_ptr<QThread>> threads;
    threads.reserve(ports.size());
    for (std::size_t i = 0; i < ports.size(); ++i) {
        const int port = ports[i];
        // The session is built on the worker thread: its serial port and pump belong there.
        threads.emplace_back(QThread::create([&, i, port] {
            PortResult result;
            {
                PortSession session(mapPath);
                result = job(session, port);
                result.port = port;
            }
            std::lock_guard lock(mutex);
            results[i] = std::move(result);
            arrived.notify_one();
        }));
        threads.back()->start();
    }

    int worst = kExitOk;
    for (std::size_t next = 0; next < ports.size(); ++next) {
        PortResult result;
        {
            std::unique_lock lock(mutex);
            while (!results[next]) {
                arrived.wait_for(lock, std::chrono::milliseconds(100));
                if (tick && !results[next]) {
                    lock.unlock();
                    tick();
                    lock.lock();
                }
            }
            result = std::move(*results[next]);
        }
        worst = std::max(worst, result.exit);
        print(result);
    }
    for (auto& t : threads) t->wait();
    return worst;
}

QString mapPathFor(const Options& o) {
    return o.mapPath.isEmpty() ? PortMap::defaultFilePath() : o.mapPath;
}

bool resolvePorts(const Options& o, std::vector<int>& ports, QString& error) {
    // A map that is there but unreadable leaves every COM number without a device: nothing is
    // opened, not even a built-in port.
    const PortMap map = PortMap::load(mapPathFor(o));
    if (!map.problem().isEmpty()) {
        error = map.problem();
        return false;
    }
    if (!o.allPorts) {
        ports = o.ports;
        return true;
    }
    ports.clear();
    for (const auto& [com, device] : map.entries()) ports.push_back(com);
    if (!ports.empty()) return true;
    error = QStringLiteral("'all': the port map %1 names no port").arg(mapPathFor(o));
    return false;
}

}  // namespace korvo::cli
