#include "cli/Commands.h"

#include <QJsonObject>

#include "core/params/ParamFile.h"

namespace korvo::cli {

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
    const int status = runOnPorts(
        mapPathFor(o), ports, job,
        [&](const PortResult& r) { out.row(resultCells(r, extras), r.json); }, work);
    out.endProgress();
    out.endTable();
    return status;
}

QString outputPathFor(const QString& pattern, int port) {
    return QString(pattern).replace(QLatin1String("{port}"), QString::number(port));
}

QString printable(const QString& text) {
    // The padding after the text (blanks; zero bytes end it before it gets here) is no part of
    // it; anything else is shown as every other text from outside is.
    return escapeControls(text.trimmed());
}

std::vector<ParamField> paramFields(const ParamSet& p) {
    // The parameter file's own table of keys and fields, read back through its INI object.
    const IniFile ini = paramFileIni(p);
    std::vector<ParamField> fields;
    const auto add = [&](const char* section, const auto& keys) {
        for (const char* key : keys) {
            fields.push_back(
                {QLatin1String(key),
                 ini.getUInt32(QLatin1String(section), QLatin1String(key)).value_or(0)});
        }
    };
    add(kPara0Section, kPara0Keys);
    add(kPara1Section, kPara1Keys);
    return fields;
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

QString memoryName(int memory) {
    return memory == 2 ? QStringLiteral("eeprom") : QStringLiteral("ram");
}

}  // namespace korvo::cli
