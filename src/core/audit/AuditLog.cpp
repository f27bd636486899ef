#include "core/audit/AuditLog.h"

#include <pwd.h>
#include <sqlite3.h>
#include <unistd.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSysInfo>
#include <memory>

#include "core/files/FileLocations.h"
#include "core/params/ParamCompare.h"

namespace korvo {

namespace {

constexpr int kBusyTimeoutMs = 5000;
constexpr char kFileName[] = "audit.db";

// One table, one row per operation; `changes` is a JSON array of {field, before, after}.
constexpr char kSchema[] =
    "CREATE TABLE IF NOT EXISTS operations ("
    " id INTEGER PRIMARY KEY,"
    " time TEXT NOT NULL,"
    " user TEXT NOT NULL,"
    " host TEXT NOT NULL,"
    " program TEXT NOT NULL,"
    " version TEXT NOT NULL,"
    " com INTEGER NOT NULL,"
    " device TEXT NOT NULL,"
    " serial INTEGER,"
    " model TEXT NOT NULL,"
    " firmware TEXT NOT NULL,"
    " operation TEXT NOT NULL,"
    " changes TEXT NOT NULL,"
    " outcome TEXT NOT NULL CHECK (outcome IN ('ok', 'failed')),"
    " reason TEXT NOT NULL);"
    "CREATE INDEX IF NOT EXISTS operations_by_com ON operations (com);"
    "CREATE INDEX IF NOT EXISTS operations_by_serial ON operations (serial);";

struct Closer {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct Finalizer {
    void operator()(sqlite3_stmt* st) const { sqlite3_finalize(st); }
};
using Db = std::unique_ptr<sqlite3, Closer>;
using Statement = std::unique_ptr<sqlite3_stmt, Finalizer>;

QString why(sqlite3* db, const QString& path) {
    return QStringLiteral("%1: %2").arg(path, QString::fromUtf8(sqlite3_errmsg(db)));
}

// The database open for writing (created with its table when missing), or the reason.
Db open(const QString& path, bool write, QString* error) {
    sqlite3* raw = nullptr;
    const int flags = write ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE : SQLITE_OPEN_READONLY;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &raw,
                                   flags | SQLITE_OPEN_NOMUTEX, nullptr);
    Db db(raw);
    if (rc != SQLITE_OK) {
        *error = raw ? why(raw, path) : path + QStringLiteral(": cannot be opened");
        return nullptr;
    }
    sqlite3_busy_timeout(raw, kBusyTimeoutMs);
    if (!write) return db;
    // WAL: readers and one writer at a time without blocking each other; NORMAL keeps every
    // committed row across a crash of the process (only a power loss may take the last ones).
    if (sqlite3_exec(raw, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;", nullptr, nullptr,
                     nullptr) != SQLITE_OK ||
        sqlite3_exec(raw, kSchema, nullptr, nullptr, nullptr) != SQLITE_OK) {
        *error = why(raw, path);
        return nullptr;
    }
    return db;
}

void bindText(sqlite3_stmt* st, int i, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(st, i, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
}

QString columnText(sqlite3_stmt* st, int i) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
    return text ? QString::fromUtf8(text) : QString();
}

QString changesJson(const std::vector<AuditChange>& changes) {
    QJsonArray list;
    for (const AuditChange& c : changes) {
        QJsonObject j;
        j[QStringLiteral("field")] = c.field;
        j[QStringLiteral("before")] = c.before ? QJsonValue(*c.before) : QJsonValue();
        j[QStringLiteral("after")] = c.after ? QJsonValue(*c.after) : QJsonValue();
        list.append(j);
    }
    return QString::fromUtf8(QJsonDocument(list).toJson(QJsonDocument::Compact));
}

std::vector<AuditChange> changesFrom(const QString& json) {
    std::vector<AuditChange> changes;
    for (const QJsonValue& v : QJsonDocument::fromJson(json.toUtf8()).array()) {
        const QJsonObject j = v.toObject();
        AuditChange c;
        c.field = j.value(QLatin1String("field")).toString();
        if (j.value(QLatin1String("before")).isDouble())
            c.before = j.value(QLatin1String("before")).toInteger();
        if (j.value(QLatin1String("after")).isDouble())
            c.after = j.value(QLatin1String("after")).toInteger();
        changes.push_back(c);
    }
    return changes;
}

QString timeText(const QDateTime& t) {
    return t.toUTC().toString(Qt::ISODateWithMs);
}

}  // namespace

std::vector<AuditChange> setChanges(const std::optional<ParamSet>& before, const ParamSet& after) {
    const std::vector<ParamField> now = paramFields(after);
    std::vector<AuditChange> changes;
    if (!before) {
        for (const ParamField& f : now) changes.push_back({f.key, std::nullopt, f.value});
        return changes;
    }
    const std::vector<ParamField> was = paramFields(*before);
    for (std::size_t i = 0; i < now.size(); ++i)
        if (was[i].value != now[i].value)
            changes.push_back({now[i].key, was[i].value, now[i].value});
    return changes;
}

std::vector<AuditChange> testChanges(qint64 teachValue, qint64 upperTolerance,
                                     qint64 lowerTolerance) {
    return {{QStringLiteral("Teach-Value"), {}, teachValue},
            {QStringLiteral("Upper-Tolerance"), {}, upperTolerance},
            {QStringLiteral("Lower-Tolerance"), {}, lowerTolerance}};
}

AuditLog::AuditLog(QString path) : path_(std::move(path)) {}

QString AuditLog::defaultPath() {
    return pathIn(currentFileLocations());
}

QString AuditLog::pathIn(const FileLocations& where) {
    const QString set = qEnvironmentVariable("KORVO_AUDIT_DB");
    if (!set.isEmpty()) return set;
    return where.settingsFile(QLatin1String(kFileName));
}

AuditEntry AuditLog::entryNow(const QString& program) {
    AuditEntry e;
    e.time = QDateTime::currentDateTimeUtc();
    const passwd* pw = ::getpwuid(::geteuid());
    e.user = pw != nullptr ? QString::fromLocal8Bit(pw->pw_name) : QString::number(::geteuid());
    e.host = QSysInfo::machineHostName();
    e.program = program;
    e.version = QStringLiteral(KORVO_VERSION);
    return e;
}

QString AuditLog::record(const AuditEntry& e) const {
    QString error;
    const Db db = open(path_, true, &error);
    if (!db) return error;
    sqlite3_stmt* raw = nullptr;
    const char* sql =
        "INSERT INTO operations (time, user, host, program, version, com, device, serial, model,"
        " firmware, operation, changes, outcome, reason)"
        " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14)";
    if (sqlite3_prepare_v2(db.get(), sql, -1, &raw, nullptr) != SQLITE_OK)
        return why(db.get(), path_);
    const Statement st(raw);
    bindText(raw, 1, timeText(e.time));
    bindText(raw, 2, e.user);
    bindText(raw, 3, e.host);
    bindText(raw, 4, e.program);
    bindText(raw, 5, e.version);
    sqlite3_bind_int(raw, 6, e.com);
    bindText(raw, 7, e.device);
    if (e.serial) {
        sqlite3_bind_int(raw, 8, *e.serial);
    } else {
        sqlite3_bind_null(raw, 8);
    }
    bindText(raw, 9, e.modelLine);
    bindText(raw, 10, e.firmware);
    bindText(raw, 11, e.operation);
    bindText(raw, 12, changesJson(e.changes));
    bindText(raw, 13, e.ok ? QStringLiteral("ok") : QStringLiteral("failed"));
    bindText(raw, 14, e.reason);
    if (sqlite3_step(raw) != SQLITE_DONE) return why(db.get(), path_);
    return {};
}

std::optional<std::vector<AuditEntry>> AuditLog::read(const AuditFilter& f, QString* error) const {
    if (!QFile::exists(path_)) return std::vector<AuditEntry>{};  // nothing written yet
    const Db db = open(path_, false, error);
    if (!db) return std::nullopt;
    const char* sql =
        "SELECT time, user, host, program, version, com, device, serial, model, firmware,"
        " operation, changes, outcome, reason FROM operations"
        " WHERE (?1 IS NULL OR com = ?1) AND (?2 IS NULL OR serial = ?2)"
        " AND (?3 IS NULL OR time >= ?3) ORDER BY id";
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db.get(), sql, -1, &raw, nullptr) != SQLITE_OK) {
        *error = why(db.get(), path_);
        return std::nullopt;
    }
    const Statement st(raw);
    if (f.com) sqlite3_bind_int(raw, 1, *f.com);
    if (f.serial) sqlite3_bind_int(raw, 2, *f.serial);
    if (f.since) bindText(raw, 3, timeText(*f.since));
    std::vector<AuditEntry> rows;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
        AuditEntry e;
        e.time = QDateTime::fromString(columnText(raw, 0), Qt::ISODateWithMs);
        e.user = columnText(raw, 1);
        e.host = columnText(raw, 2);
        e.program = columnText(raw, 3);
        e.version = columnText(raw, 4);
        e.com = sqlite3_column_int(raw, 5);
        e.device = columnText(raw, 6);
        if (sqlite3_column_type(raw, 7) != SQLITE_NULL) e.serial = sqlite3_column_int(raw, 7);
        e.modelLine = columnText(raw, 8);
        e.firmware = columnText(raw, 9);
        e.operation = columnText(raw, 10);
        e.changes = changesFrom(columnText(raw, 11));
        e.ok = columnText(raw, 12) == QLatin1String("ok");
        e.reason = columnText(raw, 13);
        rows.push_back(std::move(e));
    }
    if (rc != SQLITE_DONE) {
        *error = why(db.get(), path_);
        return std::nullopt;
    }
    return rows;
}

}  // namespace korvo
