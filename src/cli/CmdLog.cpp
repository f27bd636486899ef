// korvo log: the audit log's rows, as text, JSON lines or CSV.

#include <QJsonArray>

#include "cli/Commands.h"
#include "core/audit/AuditLog.h"

namespace korvo::cli {

namespace {

QString changesText(const std::vector<AuditChange>& changes) {
    const auto value = [](const std::optional<qint64>& v) {
        return v ? QString::number(*v) : QStringLiteral("?");
    };
    QStringList parts;
    for (const AuditChange& c : changes)
        parts << QStringLiteral("%1 %2 -> %3").arg(c.field, value(c.before), value(c.after));
    return parts.join(QStringLiteral("; "));
}

// A CSV field: quoted when it holds a comma, a quote or a line break, quotes doubled.
QString csvField(const QString& text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1String("\""), QLatin1String("\"\"")) +
           QLatin1Char('"');
}

}  // namespace

int cmdLog(const Options& o, Output& out) {
    const AuditLog log(AuditLog::defaultPath());
    AuditFilter filter;
    filter.com = o.logPort;
    filter.serial = o.logSerial;
    filter.since = o.since;
    QString error;
    const std::optional<std::vector<AuditEntry>> rows = log.read(filter, &error);
    if (!rows) {
        out.error(error);
        return kExitUsage;
    }
    const QStringList titles = {"TIME",      "USER",    "HOST",    "PROGRAM", "VERSION",
                                "COM",       "DEVICE",  "SERIAL",  "MODEL",   "FIRMWARE",
                                "OPERATION", "CHANGES", "OUTCOME", "REASON"};
    if (o.csv) out.raw(titles.join(QLatin1Char(',')).toUtf8() + "\r\n");
    if (!o.csv)
        out.setColumns({{QStringLiteral("TIME"), 24},
                        {QStringLiteral("COM"), 5},
                        {QStringLiteral("SERIAL"), 6},
                        {QStringLiteral("OPERATION"), 12},
                        {QStringLiteral("OUTCOME"), 7},
                        {QStringLiteral("USER"), 8},
                        {QStringLiteral("CHANGES"), 0}});
    for (const AuditEntry& e : *rows) {
        const QString time = e.time.toUTC().toString(Qt::ISODateWithMs);
        const QString serial = e.serial ? QString::number(*e.serial) : QString();
        const QString outcome = e.ok ? QStringLiteral("ok") : QStringLiteral("failed");
        if (o.csv) {
            const QStringList cells = {
                time,     e.user,  e.host,      e.program,  e.version,   QString::number(e.com),
                e.device, serial,  e.modelLine, e.firmware, e.operation, changesText(e.changes),
                outcome,  e.reason};
            QStringList fields;
            for (const QString& c : cells) fields << csvField(escapeControls(c));
            out.raw(fields.join(QLatin1Char(',')).toUtf8() + "\r\n");
            continue;
        }
        QJsonObject j;
        j[QStringLiteral("type")] = QStringLiteral("audit");
        j[QStringLiteral("time")] = time;
        j[QStringLiteral("user")] = e.user;
        j[QStringLiteral("host")] = e.host;
        j[QStringLiteral("program")] = e.program;
        j[QStringLiteral("version")] = e.version;
        j[QStringLiteral("port")] = e.com;
        j[QStringLiteral("device")] = e.device;
        j[QStringLiteral("serial")] = e.serial ? QJsonValue(*e.serial) : QJsonValue();
        j[QStringLiteral("modelLine")] = e.modelLine;
        j[QStringLiteral("firmware")] = e.firmware;
        j[QStringLiteral("operation")] = e.operation;
        QJsonArray changes;
        for (const AuditChange& c : e.changes) {
            QJsonObject cj;
            cj[QStringLiteral("field")] = c.field;
            cj[QStringLiteral("before")] = c.before ? QJsonValue(*c.before) : QJsonValue();
            cj[QStringLiteral("after")] = c.after ? QJsonValue(*c.after) : QJsonValue();
            changes.append(cj);
        }
        j[QStringLiteral("changes")] = changes;
        j[QStringLiteral("outcome")] = outcome;
        j[QStringLiteral("reason")] = e.reason;
        QString text = changesText(e.changes);
        if (!e.reason.isEmpty())
            text += (text.isEmpty() ? QString() : QStringLiteral("; ")) + e.reason;
        out.row(
            {time, QStringLiteral("COM%1").arg(e.com), serial, e.operation, outcome, e.user, text},
            j);
    }
    out.endTable();
    return kExitOk;
}

}  // namespace korvo::cli
