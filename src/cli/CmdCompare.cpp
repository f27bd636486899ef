// korvo diff and korvo check: parameter sets side by side, from files and from live sensors.
// Nothing is written to a sensor.

#include <QJsonArray>
#include <QRegularExpression>

#include "cli/Commands.h"
#include "core/link/SensorLink.h"
#include "core/params/ParamCompare.h"
#include "core/params/ParamFile.h"

namespace korvo::cli {

namespace {

// A parameter file as one side, with every value it holds read as a number; nullopt with the
// reason when it cannot be read or holds a value that is no number.
std::optional<ParamSide> fileSide(const QString& path, QString* error) {
    const std::optional<IniFile> ini = readParamFile(path, error);
    if (!ini) return std::nullopt;
    ParamSet scratch;
    const std::vector<ParamValueProblem> unread = applyParamIni(*ini, scratch);
    if (!unread.empty()) {
        *error = path + QStringLiteral(": ") + problemsText(unread);
        return std::nullopt;
    }
    return sideOfFile(*ini);
}

// A value for JSON: the number, or null for a key the side does not hold.
QJsonValue jsonValue(const QString& text) {
    if (text == QLatin1String("-")) return QJsonValue::Null;
    return static_cast<qint64>(text.toLongLong());
}

}  // namespace

int cmdDiff(const Options& o, Output& out) {
    static const QRegularExpression live(QStringLiteral("^COM(\\d{1,3}):(ram|eeprom)$"),
                                         QRegularExpression::CaseInsensitiveOption);
    ParamSide sides[2];
    for (int i = 0; i < 2; ++i) {
        const QString& operand = o.operands[i];
        const QRegularExpressionMatch m = live.match(operand);
        QString error;
        if (!m.hasMatch()) {
            const std::optional<ParamSide> side = fileSide(operand, &error);
            if (!side) {
                out.error(error);
                return kExitUsage;
            }
            sides[i] = *side;
            continue;
        }
        const int port = m.captured(1).toInt();
        const int memory = m.captured(2).compare(QLatin1String("eeprom"), Qt::CaseInsensitive) == 0
                               ? kMemoryEeprom
                               : kMemoryRam;
        if (port < 1 || port > 255) {
            out.error(QStringLiteral("'%1': COM numbers go from 1 to 255").arg(operand));
            return kExitUsage;
        }
        PortSession s(mapPathFor(o));
        PortResult r = newResult(s, port, QStringLiteral("diff"));
        if (!readSensorSet(s, port, o.baudIndex, memory, r)) {
            out.error(
                QStringLiteral("%1 (%2): %3: %4").arg(operand, r.device, r.outcome, r.detail));
            // A set that was not read is trouble, never "they differ".
            return r.exit == kExitOpen ? kExitOpen : kExitUsage;
        }
        sides[i] = sideOfSet(s.sensor.params);
    }
    const std::vector<ParamDifference> differences = compareParams(sides[0], sides[1]);
    out.setColumns(
        {{QStringLiteral("KEY"), 18}, {QStringLiteral("A"), 11}, {QStringLiteral("B"), 0}}, false);
    for (const ParamDifference& d : differences) {
        QJsonObject j;
        j[QStringLiteral("type")] = QStringLiteral("difference");
        j[QStringLiteral("key")] = d.key;
        j[QStringLiteral("a")] = jsonValue(d.a);
        j[QStringLiteral("b")] = jsonValue(d.b);
        out.row({d.key, d.a, d.b}, j);
    }
    out.endTable();
    return differences.empty() ? kExitOk : kExitSensor;
}

int cmdCheck(const Options& o, Output& out) {
    QString error;
    const std::optional<ParamSide> golden = fileSide(o.golden, &error);
    if (!golden) {
        out.error(error);
        return kExitUsage;
    }
    if (const QStringList unknown = unknownParamKeys(o.ignore); !unknown.isEmpty()) {
        out.error(QStringLiteral("--ignore: no parameter is called %1")
                      .arg(unknown.join(QStringLiteral(", "))));
        return kExitUsage;
    }
    // What the golden file does not hold is not compared.
    QStringList ignore = o.ignore;
    for (int i = 0; i < kParamKeyCount; ++i)
        if (!golden->present[i]) ignore << QLatin1String(paramKeys()[i]);
    const int memory = o.memory == 0 ? kMemoryEeprom : o.memory;
    const int baud = o.baudIndex;
    const ParamSide goldenSide = *golden;
    auto job = [=](PortSession& s, int port) {
        PortResult r = newResult(s, port, QStringLiteral("check"));
        r.json[QStringLiteral("memory")] = memoryName(memory);
        if (!readSensorSet(s, port, baud, memory, r)) return r;
        const std::vector<ParamDifference> differences =
            compareParams(sideOfSet(s.sensor.params), goldenSide, ignore);
        QJsonArray list;
        QStringList texts;
        for (const ParamDifference& d : differences) {
            QJsonObject j;
            j[QStringLiteral("key")] = d.key;
            j[QStringLiteral("sensor")] = jsonValue(d.a);
            j[QStringLiteral("golden")] = jsonValue(d.b);
            list.append(j);
            texts << QStringLiteral("%1 %2 (golden %3)").arg(d.key, d.a, d.b);
        }
        r.json[QStringLiteral("differences")] = list;
        r.extra = {QString::number(differences.size())};
        if (differences.empty()) {
            finish(r, QStringLiteral("same"), kExitOk,
                   QStringLiteral("%1 as the golden file").arg(memoryName(memory).toUpper()));
        } else {
            finish(r, QStringLiteral("differs"), kExitSensor, texts.join(QStringLiteral("; ")));
        }
        return r;
    };
    return runPortCommand(o, out, QStringLiteral("check"), {{QStringLiteral("DIFFER"), 6}}, job);
}

}  // namespace korvo::cli
