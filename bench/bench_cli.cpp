// korvo over 112 unpaced virtual sensors, run as the built program: the median wall time of
// `korvo identify all`, of `korvo send all --to ram FILE` (one parameter file to every sensor,
// read back and compared), of `korvo backup all` (every EEPROM set into one folder) and of
// `korvo check all` against a golden file, including the program's start; and the median time
// one row of the audit log takes, which every write (one `korvo send` among them) adds.
//
// Usage: bench_cli [runs]   (default 5)

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "core/audit/AuditLog.h"
#include "core/params/ParamFile.h"
#include "sim/SensorFarm.h"

namespace {

constexpr int kSensors = 112;

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n == 0 ? 0.0 : (n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0);
}

QString auditPath;  // the benchmark's own audit log

// Wall milliseconds of one korvo run; -1 when it did not end with status 0 (or `also`).
double timeKorvo(const QStringList& arguments, int also = 0) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KORVO_AUDIT_DB"), auditPath);
    p.setProcessEnvironment(env);
    QElapsedTimer clock;
    clock.start();
    p.start(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("korvo")),
            arguments);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit ||
        (p.exitCode() != 0 && p.exitCode() != also)) {
        std::fprintf(stderr, "korvo %s: status %d\n%s", qPrintable(arguments.join(' ')),
                     p.exitCode(), p.readAllStandardError().constData());
        return -1.0;
    }
    return static_cast<double>(clock.nsecsElapsed()) / 1.0e6;
}

void report(const char* what, const std::vector<double>& ms, double aimMs) {
    const double m = median(ms);
    std::printf("%-40s median %8.1f ms  (%5.2f ms per sensor, aim < %.0f ms, %zu runs)\n", what, m,
                m / kSensors, aimMs, ms.size());
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;

    QTemporaryDir dir;
    const QString map = QDir(dir.path()).filePath(QStringLiteral("COMPORTS.map"));
    korvo::sim::SensorFarm farm;
    for (int i = 0; i < kSensors; ++i) {
        korvo::sim::SensorConfig config;
        config.serial = static_cast<std::uint16_t>(1000 + i);
        farm.add(config);
    }
    QString error;
    if (!farm.start(&error) || !farm.writePortMap(map, 1, &error)) {
        std::fprintf(stderr, "virtual sensors: %s\n", qPrintable(error));
        return 1;
    }
    auditPath = QDir(dir.path()).filePath(QStringLiteral("audit.db"));
    const QString file = QDir(dir.path()).filePath(QStringLiteral("KORVO-PARA.ini"));
    korvo::ParamSet params;
    params.evalEnd = 2048;
    if (!korvo::SendParaToFileI(params, file).ok) return 1;

    const QString backup = QDir(dir.path()).filePath(QStringLiteral("line"));
    std::vector<double> identify, send, saved, checked;
    for (int r = 0; r < runs; ++r) {
        identify.push_back(timeKorvo({"--map", map, "identify", "all"}));
        send.push_back(timeKorvo({"--map", map, "send", "all", "--to", "ram", file}));
        saved.push_back(timeKorvo({"--map", map, "backup", "all", "-o", backup, "--force"}));
        // The sensors' sets differ from the golden file's: status 1 is the expected answer.
        checked.push_back(timeKorvo({"--map", map, "check", "all", "--golden", file}, 1));
    }
    for (const auto* v : {&identify, &send, &saved, &checked})
        if (std::count(v->begin(), v->end(), -1.0) != 0) return 1;
    std::printf("korvo over %d unpaced virtual sensors\n", kSensors);
    report("korvo identify all", identify, 2000);
    report("korvo send all --to ram (read back)", send, 3000);
    report("korvo backup all (EEPROM sets)", saved, 3000);
    report("korvo check all --golden FILE", checked, 3000);

    // One row as korvo send writes it: the database opened, the row inserted, closed again.
    korvo::AuditEntry entry = korvo::AuditLog::entryNow(QStringLiteral("korvo"));
    entry.operation = QStringLiteral("send ram");
    entry.changes = {{QStringLiteral("Power"), 500, 510},
                     {QStringLiteral("Teach-Value"), 4932, 4000}};
    entry.ok = true;
    std::vector<double> rowMs;
    const korvo::AuditLog log(auditPath);
    for (int i = 0; i < 200; ++i) {
        QElapsedTimer clock;
        clock.start();
        if (!log.record(entry).isEmpty()) return 1;
        rowMs.push_back(static_cast<double>(clock.nsecsElapsed()) / 1.0e6);
    }
    std::printf("%-40s median %8.2f ms  (aim < 5 ms, %zu rows)\n", "one audit log row",
                median(rowMs), rowMs.size());
    farm.stop();
    return 0;
}
