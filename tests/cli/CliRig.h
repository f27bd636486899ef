#pragma once
// The built korvo program run as a child process against virtual sensors over pseudo-terminals,
// with a port map of its own; output parsed back as text lines or JSON objects.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>
#include <memory>
#include <vector>

#include "core/params/ParamSet.h"
#include "support/SimSensors.h"

namespace korvo::test {

// A JSON object's text and whole-number fields; -1 for a number that is not there.
QString str(const QJsonObject& o, const char* key);
int num(const QJsonObject& o, const char* key);

// The lines 0, 1, ... of a flash file that holds `count` values.
QByteArray numberLines(int count);

struct CliRun {
    int exit = -1;
    QByteArray out;
    QByteArray err;
    // Standard output as lines of tab-separated fields (piped text output).
    std::vector<QStringList> rows() const;
    // The JSON objects of standard output (one per line) of one type ("result", "record", ...).
    std::vector<QJsonObject> objects(const QString& type) const;
};

// Sensor i answers on COM i+1; each config is used as given. korvo's audit log is
// path("audit.db").
class CliRig : public SensorMap {
public:
    explicit CliRig(const std::vector<sim::SensorConfig>& configs) : SensorMap(configs) {}

    // korvo with --map of this rig, arguments as given; standard input from `input`; standard
    // output into `outputFile`, standard error into `errorFile`, when named (CliRun::out or err
    // then stays empty).
    CliRun run(const QStringList& arguments, const QByteArray& input = {},
               const QString& outputFile = {}, const QString& errorFile = {}) const;
    // Starts korvo and returns the process, for tests that signal it.
    std::unique_ptr<QProcess> start(const QStringList& arguments, const QString& outputFile = {},
                                    const QString& errorFile = {}) const;
    // A command line as typed, split at spaces; DIR stands for the rig's folder.
    QStringList words(const QString& line) const;
    // The window's parameter file for `p` in the rig's folder; its path.
    QString paramFile(const ParamSet& p, const QString& name) const;
};

// Sends the signal to korvo if it still runs, by its own process id; false once it has ended.
// processId() is 0 then, and kill(0, ...) would signal the whole process group: the tests that
// ctest runs beside this one.
bool signalIfRunning(const QProcess& p, int signalNumber);

}  // namespace korvo::test
