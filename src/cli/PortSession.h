#pragma once
// One port's link stack and the way korvo works several ports at once.
//
// Each port gets a PortSession of its own: port bank, pump and the sensor object, as the window
// has once. Several ports are worked in parallel by one worker thread per
// port, each building its session on its own thread and running its own event loop, so the
// window's sequences run unchanged (with their waits and pauses) and a slow or silent sensor
// holds up only its own thread. The main thread prints what the jobs post while they run (a
// run's rows as they come) and the results in COM order as soon as each one and all before it
// are in.

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

#include "cli/Args.h"
#include "core/audit/AuditLog.h"
#include "core/link/IdentifySensor.h"
#include "core/link/PortBank.h"
#include "core/link/PortSensor.h"
#include "core/link/Pump.h"

namespace korvo::cli {

// Keeps the explanation a failed opening gives (device path, system reason, hint).
class DetailSink final : public StatusSink {
public:
    void showStatus(const QString&, StatusLine) override {}
    void showDetail(const QString& detail) override { detail_ = detail; }
    const QString& detail() const { return detail_; }

private:
    QString detail_;
};

struct PortSession {
    explicit PortSession(const QString& mapPath);

    // Hands an action to the main thread, which runs it between its waits in the order posted
    // (a run's rows, a recording's JSON lines); on the main thread itself it runs at once.
    void post(std::function<void()> action);

    // A job sets this right before its first write to the sensor; the row goes into the audit
    // log once the job has its outcome (runPortCommand).
    void writing(const QString& operation, std::vector<AuditChange> changes = {});

    DetailSink sink;
    QtPump pump;
    PortBank bank;
    PortSensor sensor;
    IdentifyReport identity;                            // the last connectSensor()'s
    std::optional<AuditEntry> audit;                    // the write under way
    std::function<void(std::function<void()>)> toMain;  // set by runOnPorts
};

// One port's outcome. Its text line is COM, device, outcome, the command's own cells and the
// detail; its JSON object holds the same under their names.
struct PortResult {
    int port = 0;
    QString device;
    int exit = kExitOk;
    QString outcome;
    QString detail;     // why it failed, or what was done
    QStringList extra;  // the command's own cells (a failed port leaves them empty)
    QJsonObject json;
    QByteArray payload;  // what goes to standard output as it is (a parameter file)
};

// Starts a result: COM number, device and the JSON object's common keys.
PortResult newResult(PortSession& s, int port, const QString& command);
// Sets outcome (a word: ok, accepted, refused, failed, open-error, ...), exit status and detail.
void finish(PortResult& r, const QString& outcome, int exit, const QString& detail = {});
// The text cells: COM, device, outcome, extraColumns cells ("-" where missing), detail.
QStringList resultCells(const PortResult& r, int extraColumns);

// Opens the port at the baud index. On failure the result says why (exit 3) and false returns.
bool openPort(PortSession& s, int port, int baudIndex, PortResult& r);
// identifySensor(); anything but an accepted sensor (with its parameters read when asked)
// finishes the result with exit 1 and returns false.
bool connectSensor(PortSession& s, int port, bool readParameters, PortResult& r,
                   IdentifyReport* report = nullptr);

using PortJob = std::function<PortResult(PortSession&, int port)>;

// How the ports' jobs are watched from the main thread.
struct PortWork {
    // Runs about ten times a second on the main thread meanwhile (progress bars).
    std::function<void()> tick;
    // A signal (Ctrl-C, SIGTERM, SIGHUP) ends each port's run or recording as its stop button
    // would: the stop reaches the worker's own event loop at once. Commands that write instead
    // let the exchange under way finish and look between their exchanges.
    bool stopLinksOnSignal = false;
};

// Runs job on every port in parallel and hands each result to print in COM order, after what
// that port posted. Returns the worst exit status.
int runOnPorts(const QString& mapPath, const std::vector<int>& ports, const PortJob& job,
               const std::function<void(const PortResult&)>& print, const PortWork& work = {});

// The ports PORTS names: the list given, or every port of the map for "all". False with a
// message when "all" finds no port.
bool resolvePorts(const Options& o, std::vector<int>& ports, QString& error);
// The port map file in use.
QString mapPathFor(const Options& o);

}  // namespace korvo::cli
