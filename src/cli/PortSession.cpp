#include "cli/PortSession.h"

#include <QThread>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include "core/link/PortMap.h"
#include "core/link/PortSettings.h"
#include "core/process/StopSignals.h"

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
    s.identity = report;
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

void PortSession::writing(const QString& operation, std::vector<AuditChange> changes) {
    if (audit) return;  // the first write names the operation
    AuditEntry e;
    e.operation = operation;
    e.changes = std::move(changes);
    audit = std::move(e);
}

void PortSession::post(std::function<void()> action) {
    if (toMain) {
        toMain(std::move(action));
    } else {
        action();
    }
}

int runOnPorts(const QString& mapPath, const std::vector<int>& ports, const PortJob& job,
               const std::function<void(const PortResult&)>& print, const PortWork& work) {
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<std::optional<PortResult>> results(ports.size());
    std::deque<std::function<void()>> posted;
    // The event loops of the jobs that run now, for a stop to reach (guarded by mutex).
    std::map<QObject*, LinkState*> running;
    bool stopSent = false;
    std::vector<std::unique_ptr<QThread>> threads;
    threads.reserve(ports.size());
    for (std::size_t i = 0; i < ports.size(); ++i) {
        const int port = ports[i];
        // The session is built on the worker thread: its serial port and pump belong there.
        threads.emplace_back(QThread::create([&, i, port] {
            PortResult result;
            {
                PortSession session(mapPath);
                session.toMain = [&](std::function<void()> action) {
                    std::lock_guard lock(mutex);
                    posted.push_back(std::move(action));
                    arrived.notify_one();
                };
                // A stop posted here runs in this thread's own waits. One that came before the
                // job was known here is seen by the job itself: it looks at the signal before
                // it starts its loop.
                QObject context;
                {
                    std::lock_guard lock(mutex);
                    running[&context] = &session.sensor.link;
                }
                result = job(session, port);
                result.port = port;
                std::lock_guard lock(mutex);
                running.erase(&context);
            }
            std::lock_guard lock(mutex);
            results[i] = std::move(result);
            arrived.notify_one();
        }));
        threads.back()->start();
    }

    const auto runPosted = [&](std::unique_lock<std::mutex>& lock) {
        while (!posted.empty()) {
            std::function<void()> action = std::move(posted.front());
            posted.pop_front();
            lock.unlock();
            action();
            lock.lock();
        }
    };
    int worst = kExitOk;
    auto nextTick = std::chrono::steady_clock::now();
    for (std::size_t next = 0; next < ports.size(); ++next) {
        PortResult result;
        {
            std::unique_lock lock(mutex);
            for (;;) {
                runPosted(lock);
                if (work.stopLinksOnSignal && !stopSent && StopSignals::received() != 0) {
                    stopSent = true;
                    for (const auto& [context, link] : running) {
                        QMetaObject::invokeMethod(
                            context, [link = link] { link->stopFlag = kStopByUser; },
                            Qt::QueuedConnection);
                    }
                }
                if (results[next]) break;
                // Wakes at least every 0.1 s: for the bar and to see a signal.
                const auto now = std::chrono::steady_clock::now();
                if (now >= nextTick) {
                    nextTick = now + std::chrono::milliseconds(100);
                    if (work.tick) {
                        lock.unlock();
                        work.tick();
                        lock.lock();
                        continue;
                    }
                }
                arrived.wait_until(lock, nextTick);
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
