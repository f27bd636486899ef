#pragma once
// The record of every write to a sensor: one row per operation in an SQLite database that the
// window and every korvo process share (audit.db in the settings folder, or the file named by
// the environment variable KORVO_AUDIT_DB). Each row is written by one statement of its own, so
// it is whole or absent whatever happens to the process; WAL mode and a busy time-out let
// several writers in at once. A failure to write the log never touches the operation: the
// caller gets the reason and reports it.

#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

#include "core/params/ParamSet.h"

namespace korvo {

struct FileLocations;

struct AuditChange {
    QString field;
    std::optional<qint64> before, after;  // where known
};

// The fields a write of `after` changes: those that differ from `before`, or, when the set
// the sensor held is not known, every field with its new value only.
std::vector<AuditChange> setChanges(const std::optional<ParamSet>& before, const ParamSet& after);

// The values a TEST (or the multiplexer's teach-in) hands the sensor.
std::vector<AuditChange> testChanges(qint64 teachValue, qint64 upperTolerance,
                                     qint64 lowerTolerance);

struct AuditEntry {
    QDateTime time;  // UTC
    QString user, host, program, version;
    int com = 0;
    QString device;
    std::optional<int> serial;
    QString modelLine, firmware;
    QString operation;  // "send ram", "teach", "restore", ...
    std::vector<AuditChange> changes;
    bool ok = false;
    QString reason;  // why it failed
};

// What `korvo log` selects; empty fields select everything.
struct AuditFilter {
    std::optional<int> com;
    std::optional<int> serial;
    std::optional<QDateTime> since;
};

class AuditLog {
public:
    explicit AuditLog(QString path);
    // KORVO_AUDIT_DB when set, else audit.db in the settings folder: that of the running
    // program, or the given one.
    static QString defaultPath();
    static QString pathIn(const FileLocations& where);
    // An entry with time, user, host, program and the package's version filled in.
    static AuditEntry entryNow(const QString& program);

    // Adds the row; empty on success, else the reason.
    QString record(const AuditEntry& entry) const;
    // The rows the filter selects, oldest first; nullopt with the reason when the database
    // cannot be read.
    std::optional<std::vector<AuditEntry>> read(const AuditFilter& filter, QString* error) const;

    const QString& path() const { return path_; }

private:
    QString path_;
};

}  // namespace korvo
