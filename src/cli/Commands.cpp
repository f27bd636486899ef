#include "cli/Commands.h"

#include <QJsonObject>

#include "core/audit/AuditLog.h"
#include "core/params/ParamFile.h"

#ifndef KORVO_VERSION
#define KORVO_VERSION "unknown"
#endif

namespace korvo::cli {

namespace {

const QString& auditPath() {
    static const QString path = AuditLog::defaultPath();
    return path;
}

}  // namespace

int runPortCommand(const Options& o, Output& out, const QString& command,
                   const std::vector<Column>& extraColumns, const PortJob& job,
                   const PortWork& work) {
    std::vector<int> ports;
    QString error;
    if (!resolvePorts(o, ports, error)) {
        out.error(error);
        return kExitUsage;
    }
    std::vector<Column> columns = {{QStringLiteral("PORT"), 6},
                                   {QStringLiteral("DEVICE"), 14},
                                   {QStringLiteral("OUTCOME"), 10}};
    columns.insert(columns.end(), extraColumns.begin(), extraColumns.end());
    columns.push_back({QStringLiteral("DETAIL"), 0});
    out.setColumns(columns, false);
    const int extras = static_cast<int>(extraColumns.size());
    // Every write a job began goes on record with its outcome.
    auditPath();  // settled here, on the main thread
    const PortJob audited = [&](PortSession& s, int port) {
        PortResult r = job(s, port);
        if (s.audit)
            logWrite(s, port, r.device, r.exit == kExitOk,
                     r.outcome + QStringLiteral(": ") + r.detail, out);
        return r;
    };
    const int status = runOnPorts(
        mapPathFor(o), ports, audited,
        [&](const PortResult& r) { out.row(resultCells(r, extras), r.json); }, work);
    out.endProgress();
    out.endTable();
    return status;
}

void logWrite(PortSession& s, int port, const QString& device, bool ok, const QString& reason,
              Output& out) {
    AuditEntry e = AuditLog::entryNow(QStringLiteral("korvo"));
    e.operation = s.audit->operation;
    e.changes = s.audit->changes;
    s.audit.reset();
    e.com = port;
    e.device = device;
    if (s.identity.serialNumber != 0 || s.identity.verdict == IdentifyVerdict::Accepted)
        e.serial = s.identity.serialNumber;
    e.modelLine = s.identity.modelLine.trimmed();
    e.firmware = s.identity.firmwareText.trimmed();
    e.ok = ok;
    if (!ok) e.reason = reason;
    // A log that cannot be written changes nothing on the sensor and is said on standard error.
    if (const QString failed = AuditLog(auditPath()).record(e); !failed.isEmpty())
        s.post([&out, failed] { out.error(QStringLiteral("audit log not written: ") + failed); });
}

QString outputPathFor(const QString& pattern, int port) {
    return QString(pattern).replace(QLatin1String("{port}"), QString::number(port));
}

QString printable(const QString& text) {
    // The padding after the text (blanks; zero bytes end it before it gets here) is no part of
    // it; anything else is shown as every other text from outside is.
    return escapeControls(text.trimmed());
}

QJsonObject paramsJson(const ParamSet& p) {
    QJsonObject object;
    for (const ParamField& f : paramFields(p)) object[f.key] = static_cast<qint64>(f.value);
    return object;
}

std::vector<FieldChange> changedFields(const ParamSet& before, const ParamSet& after) {
    const std::vector<ParamField> a = paramFields(before);
    const std::vector<ParamField> b = paramFields(after);
    std::vector<FieldChange> changes;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].value != b[i].value) changes.push_back({a[i].key, a[i].value, b[i].value});
    return changes;
}

std::vector<AuditChange> auditChanges(const std::vector<FieldChange>& changes) {
    std::vector<AuditChange> list;
    for (const FieldChange& c : changes) list.push_back({c.key, c.before, c.after});
    return list;
}

QString memoryName(int memory) {
    return memory == 2 ? QStringLiteral("eeprom") : QStringLiteral("ram");
}

}  // namespace korvo::cli
