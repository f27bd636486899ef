// korvo get and korvo send: the parameter set between sensors and parameter files.

#include <unistd.h>

#include <QJsonArray>
#include <memory>

#include "cli/Commands.h"
#include "cli/Interrupt.h"
#include "cli/OutputFile.h"
#include "core/ini/FileRead.h"
#include "core/link/SensorLink.h"
#include "core/params/ParamFile.h"

namespace korvo::cli {

namespace {

// The window pauses between the two halves (and an EEPROM needs the time to store).
constexpr double kHalfPause = 0.1;

// GET or SEND of both halves; false with the status text as the result's detail.
bool bothHalves(PortSession& s, int port, int memory, bool send, PortResult& r,
                const QString& what) {
    for (std::uint16_t half = 0; half < 2; ++half) {
        if (half == 1) {
            s.pump.delay(kHalfPause);
            // A parameter set half written is reported as such; the sensor keeps the other half
            // from before.
            if (send && interrupted(r, QStringLiteral("para0 written to %1, para1 not written")
                                           .arg(memoryName(memory).toUpper())))
                return false;
        }
        const int result = send ? s.sensor.SendParamHalf(memory, half, port)
                                : s.sensor.GetParamHalf(memory, half, port, s.sensor.params);
        if (result != 1) {
            finish(
                r, QStringLiteral("failed"), kExitSensor,
                QStringLiteral("%1 para%2: %3").arg(what).arg(half).arg(s.sensor.link.statusText));
            return false;
        }
    }
    return true;
}

}  // namespace

// format takes the key, the value before and the value after.
QString changesText(const std::vector<FieldChange>& changes, const QString& format) {
    QStringList parts;
    for (const FieldChange& c : changes) parts << format.arg(c.key).arg(c.before).arg(c.after);
    return parts.join(QStringLiteral("; "));
}

QJsonArray changesJson(const std::vector<FieldChange>& changes, const char* beforeKey,
                       const char* afterKey) {
    QJsonArray list;
    for (const FieldChange& c : changes) {
        QJsonObject j;
        j[QStringLiteral("field")] = c.key;
        j[QLatin1String(beforeKey)] = static_cast<qint64>(c.before);
        j[QLatin1String(afterKey)] = static_cast<qint64>(c.after);
        list.append(j);
    }
    return list;
}

std::optional<IniFile> readParamFile(const QString& path, QString* error) {
    const bool piped = path == QLatin1String("-");
    const FileReadResult read =
        piped ? readToEnd(STDIN_FILENO, kMaxTextFileBytes, Interrupt::requested)
              : readRegularFile(path, kMaxTextFileBytes);
    if (!read.ok) {
        *error = QStringLiteral("%1: %2").arg(piped ? QStringLiteral("standard input") : path,
                                              read.reason);
        return std::nullopt;
    }
    IniFile ini(false);
    ini.fromBytes(read.bytes);
    int known = 0;
    for (const char* key : kPara0Keys)
        known += ini.hasKey(QLatin1String(kPara0Section), QLatin1String(key));
    for (const char* key : kPara1Keys)
        known += ini.hasKey(QLatin1String(kPara1Section), QLatin1String(key));
    known += ini.hasKey(QLatin1String(kPara0Section), QLatin1String(kCcdOpModeShortKey));
    if (known == 0) {
        *error = QStringLiteral("%1: not a parameter file (no key of PARA0 or PARA1)").arg(path);
        return std::nullopt;
    }
    return ini;
}

QString problemsText(const std::vector<ParamValueProblem>& problems) {
    QStringList texts;
    for (const ParamValueProblem& p : problems) texts << p.text();
    return texts.join(QStringLiteral("; "));
}

bool refusedValues(const IniFile& ini, std::uint16_t pixelCount, PortResult& r,
                   const QString& what) {
    const std::vector<ParamValueProblem> outside = checkParamFileValues(ini, pixelCount);
    if (outside.empty()) return false;
    finish(r, QStringLiteral("refused"), kExitUsage,
           what + QStringLiteral(": ") + problemsText(outside));
    return true;
}

bool readSensorSet(PortSession& s, int port, int baud, int memory, PortResult& r,
                   IdentifyReport* report) {
    if (!openPort(s, port, baud, r) || !connectSensor(s, port, true, r, report)) return false;
    // The connection read RAM as the window does; EEPROM is read on top of it.
    if (memory != kMemoryEeprom) return true;
    s.pump.delay(kHalfPause);
    return bothHalves(s, port, memory, false, r, QStringLiteral("GET"));
}

bool writeAndReadBack(PortSession& s, int port, int memory, PortResult& r,
                      std::vector<FieldChange>& differs) {
    const ParamSet sent = s.sensor.params;
    if (!bothHalves(s, port, memory, true, r, QStringLiteral("SEND"))) return false;
    s.pump.delay(kHalfPause);
    if (interrupted(r, QStringLiteral("both halves written to %1, not read back")
                           .arg(memoryName(memory).toUpper())))
        return false;
    if (!bothHalves(s, port, memory, false, r, QStringLiteral("read-back"))) return false;
    differs = changedFields(sent, s.sensor.params);
    return true;
}

int cmdGet(const Options& o, Output& out) {
    // Standard output is the default place of a single port's file, unless JSON lines go there.
    const QString pattern = o.output.isEmpty() && !o.json ? QStringLiteral("-") : o.output;
    const bool toStdout = pattern == QLatin1String("-");  // one port: several need {port}
    std::vector<int> ports;
    QString error;
    if (!resolvePorts(o, ports, error)) {
        out.error(error);
        return kExitUsage;
    }
    // Nothing is read from any sensor when a file would be replaced without --force, or when
    // something other than a regular file is in the way.
    const bool force = o.force;
    if (!toStdout && !pattern.isEmpty()) {
        for (int port : ports) {
            const QString refusal = outputFileRefusal(outputPathFor(pattern, port), force);
            if (!refusal.isEmpty()) {
                out.error(refusal);
                return kExitUsage;
            }
        }
    }

    const int baud = o.baudIndex;
    const int memory = o.memory;
    auto job = [=](PortSession& s, int port) {
        PortResult r = newResult(s, port, QStringLiteral("get"));
        r.json[QStringLiteral("memory")] = memoryName(memory);
        if (!readSensorSet(s, port, baud, memory, r)) return r;
        r.json[QStringLiteral("params")] = paramsJson(s.sensor.params);
        if (toStdout) {
            r.json[QStringLiteral("file")] = QStringLiteral("-");
            r.extra = {QStringLiteral("-")};
            r.payload = paramFileIni(s.sensor.params).toBytes();
            finish(r, QStringLiteral("ok"), kExitOk);
            return r;
        }
        if (!pattern.isEmpty()) {
            const QString path = outputPathFor(pattern, port);
            r.json[QStringLiteral("file")] = path;
            r.extra = {path};
            // Judged again: reading the sensor took a while, and the path may have changed.
            const QString refusal = outputFileRefusal(path, force);
            if (!refusal.isEmpty()) {
                finish(r, QStringLiteral("file-error"), kExitUsage, refusal);
                return r;
            }
            const FileWriteResult written = SendParaToFileI(s.sensor.params, path);
            if (!written.ok) {
                finish(r, QStringLiteral("file-error"), kExitUsage, written.message);
                return r;
            }
        }
        finish(r, QStringLiteral("ok"), kExitOk,
               QStringLiteral("28 fields from %1").arg(memoryName(memory).toUpper()));
        return r;
    };

    if (toStdout) {
        // The file itself is the output; a failure goes to standard error.
        PortSession s(mapPathFor(o));
        const PortResult r = job(s, ports.front());
        if (r.exit == kExitOk) {
            out.raw(r.payload);
        } else {
            out.error(QStringLiteral("COM%1 (%2): %3: %4")
                          .arg(r.port)
                          .arg(r.device, r.outcome, r.detail));
        }
        return r.exit;
    }
    return runPortCommand(o, out, QStringLiteral("get"), {{QStringLiteral("FILE"), 20}}, job);
}

int cmdSend(const Options& o, Output& out) {
    // The file is read once, before any port is touched: a bad file is a usage error.
    QString error;
    const std::optional<IniFile> file = readParamFile(o.file, &error);
    if (!file) {
        out.error(error);
        return kExitUsage;
    }
    auto ini = std::make_shared<IniFile>(*file);
    // Every value must be one the sensor may hold; what depends on the model is checked once
    // each sensor is known, before anything is written to it.
    const std::vector<ParamValueProblem> invalid = checkParamFileValues(*ini, 0);
    for (const ParamValueProblem& p : invalid) out.error(o.file + QStringLiteral(": ") + p.text());
    if (!invalid.empty()) {
        out.error(QStringLiteral("%1: nothing sent").arg(o.file));
        return kExitUsage;
    }

    const int baud = o.baudIndex;
    const int memory = o.memory;
    auto job = [=](PortSession& s, int port) {
        PortResult r = newResult(s, port, QStringLiteral("send"));
        r.json[QStringLiteral("memory")] = memoryName(memory);
        if (!openPort(s, port, baud, r) || !connectSensor(s, port, true, r)) return r;
        // The window loads a parameter file only for a model of hardware type 1 or 3.
        if (s.sensor.model.hardwareType != 1 && s.sensor.model.hardwareType != 3) {
            finish(r, QStringLiteral("refused"), kExitSensor,
                   QStringLiteral("parameter files apply to hardware type 1 or 3, this model "
                                  "is type %1")
                       .arg(s.sensor.model.hardwareType));
            return r;
        }
        if (refusedValues(*ini, s.sensor.model.pixelCount, r, QStringLiteral("nothing sent")))
            return r;
        const ParamSet before = s.sensor.params;
        applyParamIni(*ini, s.sensor.params);
        const ParamSet fromFile = s.sensor.params;
        // The window shows a loaded file on its panels, which keep every field in its range, and
        // sends what the panels hold.
        applyRanges(s.sensor.params, s.sensor.model.pixelCount);
        const ParamSet sent = s.sensor.params;
        const auto adjusted = changedFields(fromFile, sent);
        if (!adjusted.empty())
            r.json[QStringLiteral("adjusted")] = changesJson(adjusted, "file", "sent");
        const auto changed = changedFields(before, sent);
        r.json[QStringLiteral("changed")] = static_cast<int>(changed.size());
        r.extra = {QString::number(changed.size())};
        if (interrupted(r, QStringLiteral("nothing sent"))) return r;
        s.writing(QStringLiteral("send ") + memoryName(memory), auditChanges(changed));
        std::vector<FieldChange> differs;
        if (!writeAndReadBack(s, port, memory, r, differs)) return r;
        QString note;
        if (!adjusted.empty())
            note = QStringLiteral(" (ranges applied: %1)")
                       .arg(changesText(adjusted, QStringLiteral("%1 %2 -> %3")));
        if (!differs.empty()) {
            r.json[QStringLiteral("differs")] = changesJson(differs, "sent", "read");
            finish(r, QStringLiteral("differs"), kExitSensor,
                   QStringLiteral("read back from %1: %2")
                       .arg(memoryName(memory).toUpper(),
                            changesText(differs, QStringLiteral("%1 sent %2 read %3"))));
            return r;
        }
        finish(r, QStringLiteral("ok"), kExitOk,
               QStringLiteral("written to %1, read back equal").arg(memoryName(memory).toUpper()) +
                   note);
        return r;
    };
    return runPortCommand(o, out, QStringLiteral("send"), {{QStringLiteral("CHANGED"), 7}}, job);
}

}  // namespace korvo::cli
