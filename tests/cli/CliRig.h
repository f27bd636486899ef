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

#include "support/SimSensors.h"

namespace korvo::test {

struct CliRun {
    int exit = -1;
    QByteArray out;
    QByteArray err;
    // Standard output as lines of tab-separated fields (piped text output).
    std::vector<QStringList> rows() const;
    // The JSON objects of standard output (one per line) of one type ("result", "record", ...).
    std::vector<QJsonObject> objects(const QString& type) const;
};

// Sensor i answers on COM i+1; each config is used as given.
class CliRig : public SensorMap {
public:
    explicit CliRig(const std::vector<sim::SensorConfig>& configs) : SensorMap(configs) {}

    // korvo with --map of this rig, arguments as given; standard input from `input`; standard
    // output into `outputFile` when one is named (CliRun::out then stays empty).
    CliRun run(const QStringList& arguments, const QByteArray& input = {},
               const QString& outputFile = {}) const;
    // Starts korvo and returns the process, for tests that signal it.
    std::unique_ptr<QProcess> start(const QStringList& arguments,
                                    const QString& outputFile = {}) const;
};

// Sends the signal to korvo if it still runs, by its own process id; false once it has ended.
// processId() is 0 then, and kill(0, ...) would signal the whole process group: the tests that
// ctest runs beside this one.
bool signalIfRunning(const QProcess& p, int signalNumber);

}  // namespace korvo::test
