#pragma once
// The subcommands of korvo. Each returns the program's exit status.

#include <QJsonArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "cli/Args.h"
#include "cli/Output.h"
#include "cli/PortSession.h"
#include "core/ini/IniFile.h"
#include "core/params/ParamCompare.h"
#include "core/params/ParamFile.h"
#include "core/params/ParamSet.h"

namespace korvo::cli {

int cmdPorts(const Options& o, Output& out);
int cmdIdentify(const Options& o, Output& out);
int cmdGet(const Options& o, Output& out);
int cmdSend(const Options& o, Output& out);
int cmdRun(const Options& o, Output& out);
int cmdVideo(const Options& o, Output& out);
int cmdRecord(const Options& o, Output& out);
int cmdTeach(const Options& o, Output& out);
int cmdReset(const Options& o, Output& out);
int cmdTest(const Options& o, Output& out);
int cmdBaud(const Options& o, Output& out);
int cmdFlash(const Options& o, Output& out);
int cmdWatch(const Options& o, Output& out);
int cmdServe(const Options& o, Output& out);

// ---- shared by the subcommands ----

// Works the ports of PORTS in parallel and prints one result line per port in COM order under
// the columns COM, DEVICE, OUTCOME, the extra columns and DETAIL.
int runPortCommand(const Options& o, Output& out, const QString& command,
                   const std::vector<Column>& extraColumns, const PortJob& job,
                   const PortWork& work = {});

// Puts the write the job began (PortSession::writing) on record now with its outcome, and ends
// it; runPortCommand does so when the job ends, a job that goes on long after its write (a
// recording) at once, so that the write is on record even if the process is killed later.
void logWrite(PortSession& s, int port, const QString& device, bool ok, const QString& reason,
              Output& out);

// The file a FILE pattern names for one port: {port} becomes its COM number.
QString outputPathFor(const QString& pattern, int port);

// Text from a sensor without its padding and with its control characters escaped
// (escapeControls), so that it cannot steer the terminal.
QString printable(const QString& text);

QJsonObject paramsJson(const ParamSet& p);

struct FieldChange {
    QString key;
    std::uint32_t before = 0;
    std::uint32_t after = 0;
};
std::vector<FieldChange> changedFields(const ParamSet& before, const ParamSet& after);

// The changes as one text, each through format (key, before, after), "; " between them; and as
// a JSON list of objects with "field" and the two values under their names.
QString changesText(const std::vector<FieldChange>& changes, const QString& format);
QJsonArray changesJson(const std::vector<FieldChange>& changes, const char* beforeKey,
                       const char* afterKey);

// A parameter file (- for standard input) as its INI object; nullopt with the reason when it
// cannot be read or holds no key of either section.
std::optional<IniFile> readParamFile(const QString& path, QString* error);

// Field changes for the audit log.
std::vector<AuditChange> auditChanges(const std::vector<FieldChange>& changes);

// The problems of a parameter file as one text, "; " between them.
QString problemsText(const std::vector<ParamValueProblem>& problems);
// Finishes r as refused ("what: " and each value the model cannot hold) and returns true when
// the file holds such a value; false, r unchanged, when every value may be sent.
bool refusedValues(const IniFile& ini, std::uint16_t pixelCount, PortResult& r,
                   const QString& what);

// Opens the port, connects as the window does (which reads RAM) and, for EEPROM, reads the set
// from there on top; the sensor object then holds it. False with the result finished.
bool readSensorSet(PortSession& s, int port, int baud, int memory, PortResult& r,
                   IdentifyReport* report = nullptr);
// Writes the sensor object's set to memory (both halves), reads it back from there and hands
// the fields that came back different; false with the result finished when an exchange failed
// or a signal came between.
bool writeAndReadBack(PortSession& s, int port, int memory, PortResult& r,
                      std::vector<FieldChange>& differs);

int cmdDiff(const Options& o, Output& out);
int cmdCheck(const Options& o, Output& out);
int cmdBackup(const Options& o, Output& out);
int cmdRestore(const Options& o, Output& out);
int cmdLog(const Options& o, Output& out);

// Memory target names: "ram", "eeprom".
QString memoryName(int memory);

}  // namespace korvo::cli
