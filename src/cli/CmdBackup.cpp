// korvo backup and korvo restore: a line's EEPROM sets saved into one folder with a manifest,
// and given back to the sensors found on the ports, by serial number or by COM number.

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSysInfo>
#include <QTemporaryDir>
#include <map>

#include "cli/Commands.h"
#include "cli/Interrupt.h"
#include "core/ini/FileRead.h"
#include "core/link/SensorLink.h"
#include "core/params/ParamFile.h"

#ifndef KORVO_VERSION
#define KORVO_VERSION "unknown"
#endif

namespace korvo::cli {

namespace {

constexpr char kManifestName[] = "manifest.json";
constexpr qint64 kMaxManifestBytes = 4 * 1024 * 1024;

QString sha256Of(const QByteArray& bytes) {
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

// Writes the bytes into a new file and onto the disk; the system's reason when that fails.
QString writeDurably(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return QStringLiteral("%1: %2").arg(path, f.errorString());
    if (f.write(bytes) != bytes.size() || !f.flush())
        return QStringLiteral("%1: %2").arg(path, f.errorString());
    if (::fsync(f.handle()) != 0)
        return QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(strerror(errno)));
    return {};
}

bool syncFolder(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

QString fileNameFor(std::uint16_t serial, int port) {
    return QStringLiteral("SN%1-COM%2.ini").arg(serial).arg(port);
}

// One sensor of a backup as its manifest holds it.
struct SavedSensor {
    int com = 0;
    int serial = -1;
    int family = -1, variant = -1, pixelCount = -1;
    QString file, sha256;
};

// The manifest's sensors that were saved; an error text when it cannot be read or is not one.
QString readManifest(const QString& dir, std::vector<SavedSensor>& saved) {
    const QString path = QDir(dir).filePath(QLatin1String(kManifestName));
    const FileReadResult read = readRegularFile(path, kMaxManifestBytes);
    if (!read.ok) return QStringLiteral("%1: %2").arg(path, read.reason);
    QJsonParseError parseError{};
    const QJsonDocument doc = QJsonDocument::fromJson(read.bytes, &parseError);
    if (!doc.isObject() || !doc.object().value(QLatin1String("sensors")).isArray())
        return QStringLiteral("%1: not a backup manifest").arg(path);
    static const QRegularExpression fileName(QStringLiteral("^SN\\d{1,5}-COM\\d{1,3}\\.ini$"));
    static const QRegularExpression hash(QStringLiteral("^[0-9a-f]{64}$"));
    for (const QJsonValue& v : doc.object().value(QLatin1String("sensors")).toArray()) {
        const QJsonObject j = v.toObject();
        if (!j.contains(QLatin1String("file"))) continue;  // a sensor that was not saved
        SavedSensor s;
        s.com = j.value(QLatin1String("com")).toInt(0);
        s.serial = j.value(QLatin1String("serial")).toInt(-1);
        s.family = j.value(QLatin1String("family")).toInt(-1);
        s.variant = j.value(QLatin1String("variant")).toInt(-1);
        s.pixelCount = j.value(QLatin1String("pixelCount")).toInt(-1);
        s.file = j.value(QLatin1String("file")).toString();
        s.sha256 = j.value(QLatin1String("sha256")).toString();
        // The names come from a file anyone may have edited: only a plain file in the folder.
        if (!fileName.match(s.file).hasMatch() || !hash.match(s.sha256).hasMatch() || s.com < 1 ||
            s.serial < 0)
            return QStringLiteral("%1: a sensor entry is not one korvo backup writes").arg(path);
        saved.push_back(s);
    }
    return {};
}

}  // namespace

int cmdBackup(const Options& o, Output& out) {
    const QFileInfo target(o.output);
    if (target.isSymLink() || (target.exists() && !target.isDir())) {
        out.error(QStringLiteral("%1: there is something else than a folder").arg(o.output));
        return kExitUsage;
    }
    if (target.exists() && !o.force) {
        out.error(QStringLiteral("%1: the folder exists; --force replaces it").arg(o.output));
        return kExitUsage;
    }
    const QString dir = target.absoluteFilePath();
    // Written beside the folder, then put in its place: it appears whole or not at all.
    QTemporaryDir partial(
        QDir(target.absolutePath())
            .filePath(QStringLiteral(".%1.partial-XXXXXX").arg(target.fileName())));
    if (!partial.isValid()) {
        out.error(QStringLiteral("%1: no folder can be made beside it: %2")
                      .arg(o.output, partial.errorString()));
        return kExitUsage;
    }
    const QString work = partial.path();
    // A temporary folder is the owner's alone; the backup gets the permissions of any new folder.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(QFile::encodeName(work).constData(), 0777 & ~mask);
    const int baud = o.baudIndex;
    auto job = [=](PortSession& s, int port) {
        PortResult r = newResult(s, port, QStringLiteral("backup"));
        IdentifyReport report;
        if (!readSensorSet(s, port, baud, kMemoryEeprom, r, &report)) return r;
        const QString name = fileNameFor(report.serialNumber, port);
        const QByteArray bytes = paramFileIni(s.sensor.params).toBytes();
        if (const QString why = writeDurably(QDir(work).filePath(name), bytes); !why.isEmpty()) {
            finish(r, QStringLiteral("file-error"), kExitUsage, why);
            return r;
        }
        QJsonObject& j = r.json;
        j[QStringLiteral("serial")] = report.serialNumber;
        j[QStringLiteral("modelLine")] = report.modelLine.trimmed();
        j[QStringLiteral("firmware")] = report.firmwareText.trimmed();
        j[QStringLiteral("family")] = s.sensor.model.familyCode;
        j[QStringLiteral("variant")] = s.sensor.model.variantCode;
        j[QStringLiteral("pixelCount")] = s.sensor.model.pixelCount;
        j[QStringLiteral("file")] = name;
        j[QStringLiteral("sha256")] = sha256Of(bytes);
        r.extra = {QString::number(report.serialNumber), name};
        finish(r, QStringLiteral("ok"), kExitOk, QStringLiteral("EEPROM saved"));
        return r;
    };

    QJsonArray sensors;
    std::vector<int> ports;
    QString error;
    if (!resolvePorts(o, ports, error)) {
        out.error(error);
        return kExitUsage;
    }
    out.setColumns({{QStringLiteral("PORT"), 6},
                    {QStringLiteral("DEVICE"), 14},
                    {QStringLiteral("OUTCOME"), 10},
                    {QStringLiteral("SERIAL"), 6},
                    {QStringLiteral("FILE"), 18},
                    {QStringLiteral("DETAIL"), 0}},
                   false);
    int status = runOnPorts(mapPathFor(o), ports, job, [&](const PortResult& r) {
        QJsonObject entry;
        entry[QStringLiteral("com")] = r.port;
        entry[QStringLiteral("device")] = r.device;
        entry[QStringLiteral("outcome")] = r.outcome;
        if (r.exit == kExitOk) {
            for (const char* key : {"serial", "modelLine", "firmware", "family", "variant",
                                    "pixelCount", "file", "sha256"})
                entry[QLatin1String(key)] = r.json.value(QLatin1String(key));
        } else {
            entry[QStringLiteral("reason")] = r.detail;
        }
        sensors.append(entry);
        out.row(resultCells(r, 2), r.json);
    });
    out.endTable();

    QJsonObject manifest;
    manifest[QStringLiteral("time")] = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
    manifest[QStringLiteral("host")] = QSysInfo::machineHostName();
    manifest[QStringLiteral("program")] = QStringLiteral("korvo");
    manifest[QStringLiteral("version")] = QStringLiteral(KORVO_VERSION);
    manifest[QStringLiteral("memory")] = QStringLiteral("eeprom");
    manifest[QStringLiteral("sensors")] = sensors;
    const QByteArray bytes = QJsonDocument(manifest).toJson(QJsonDocument::Indented);
    QString failed = writeDurably(QDir(work).filePath(QLatin1String(kManifestName)), bytes);
    if (failed.isEmpty() && !syncFolder(work)) failed = work + QStringLiteral(": not synced");
    if (failed.isEmpty()) {
        const QByteArray from = QFile::encodeName(work);
        const QByteArray to = QFile::encodeName(dir);
        // An old folder trades places with the new one and goes with the partial folder.
        const bool placed = QFileInfo::exists(dir)
                                ? ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(),
                                              RENAME_EXCHANGE) == 0
                                : ::rename(from.constData(), to.constData()) == 0;
        if (!placed)
            failed =
                QStringLiteral("%1: %2").arg(o.output, QString::fromLocal8Bit(strerror(errno)));
        syncFolder(target.absolutePath());
    }
    if (!failed.isEmpty()) {
        out.error(QStringLiteral("backup not written: ") + failed);
        return kExitUsage;
    }
    if (out.json()) {
        QJsonObject j;
        j[QStringLiteral("type")] = QStringLiteral("backup");
        j[QStringLiteral("folder")] = dir;
        j[QStringLiteral("manifest")] = QDir(dir).filePath(QLatin1String(kManifestName));
        out.jsonLine(j);
    } else {
        out.message(QStringLiteral("backup in %1").arg(dir));
    }
    return status;
}

int cmdRestore(const Options& o, Output& out) {
    std::vector<SavedSensor> saved;
    if (const QString error = readManifest(o.fromDir, saved); !error.isEmpty()) {
        out.error(error);
        return kExitUsage;
    }
    const QString dir = o.fromDir;
    const bool byPort = o.byPort;
    const bool force = o.force;
    const int baud = o.baudIndex;
    auto job = [=](PortSession& s, int port) {
        PortResult r = newResult(s, port, QStringLiteral("restore"));
        IdentifyReport report;
        if (!readSensorSet(s, port, baud, kMemoryRam, r, &report)) return r;
        std::vector<const SavedSensor*> found;
        for (const SavedSensor& e : saved)
            if (byPort ? e.com == port : e.serial == report.serialNumber) found.push_back(&e);
        if (found.size() != 1) {
            finish(r, QStringLiteral("refused"), kExitSensor,
                   found.empty()
                       ? (byPort ? QStringLiteral("the backup holds no sensor of COM%1").arg(port)
                                 : QStringLiteral("the backup holds no sensor SN %1; --by-port "
                                                  "takes the file of this COM number")
                                       .arg(report.serialNumber))
                       : QStringLiteral("the backup holds SN %1 %2 times; --by-port chooses")
                             .arg(report.serialNumber)
                             .arg(found.size()));
            return r;
        }
        const SavedSensor& e = *found.front();
        r.extra = {e.file};
        r.json[QStringLiteral("file")] = e.file;
        const QString path = QDir(dir).filePath(e.file);
        const FileReadResult read = readRegularFile(path, kMaxTextFileBytes);
        if (!read.ok) {
            finish(r, QStringLiteral("file-error"), kExitUsage,
                   QStringLiteral("%1: %2").arg(path, read.reason));
            return r;
        }
        if (sha256Of(read.bytes) != e.sha256) {
            finish(
                r, QStringLiteral("file-error"), kExitUsage,
                QStringLiteral("%1: its SHA-256 is not the manifest's: nothing written").arg(path));
            return r;
        }
        const ModelState& m = s.sensor.model;
        if (!force && (e.family != m.familyCode || e.variant != m.variantCode ||
                       e.pixelCount != m.pixelCount)) {
            finish(r, QStringLiteral("refused"), kExitSensor,
                   QStringLiteral("saved from family %1 variant %2 with %3 pixels, this sensor is "
                                  "family %4 variant %5 with %6 pixels: nothing written "
                                  "(--force writes it anyway)")
                       .arg(e.family)
                       .arg(e.variant)
                       .arg(e.pixelCount)
                       .arg(m.familyCode)
                       .arg(m.variantCode)
                       .arg(m.pixelCount));
            return r;
        }
        IniFile ini(false);
        ini.fromBytes(read.bytes);
        if (refusedValues(ini, m.pixelCount, r, QStringLiteral("nothing written"))) return r;
        const ParamSet before = s.sensor.params;
        applyParamIni(ini, s.sensor.params);
        if (interrupted(r, QStringLiteral("nothing written"))) return r;
        s.writing(QStringLiteral("restore"), auditChanges(changedFields(before, s.sensor.params)));
        // EEPROM first: what the sensor keeps. Then RAM, what it runs with.
        QStringList differs;
        for (const int memory : {kMemoryEeprom, kMemoryRam}) {
            std::vector<FieldChange> changes;
            if (!writeAndReadBack(s, port, memory, r, changes)) return r;
            if (!changes.empty())
                differs << memoryName(memory).toUpper() + QStringLiteral(": ") +
                               changesText(changes, QStringLiteral("%1 sent %2 read %3"));
            if (memory == kMemoryEeprom &&
                interrupted(r, QStringLiteral("EEPROM written, RAM not")))
                return r;
        }
        if (!differs.isEmpty()) {
            finish(r, QStringLiteral("differs"), kExitSensor,
                   QStringLiteral("read back: ") + differs.join(QStringLiteral("; ")));
            return r;
        }
        finish(r, QStringLiteral("ok"), kExitOk,
               QStringLiteral("EEPROM and RAM written, read back equal"));
        return r;
    };
    return runPortCommand(o, out, QStringLiteral("restore"), {{QStringLiteral("FILE"), 18}}, job);
}

}  // namespace korvo::cli
