// korvo ports and korvo identify: which ports there are and who answers on them.

#include "cli/Commands.h"
#include "core/link/PortMap.h"
#include "core/link/SerialAdapters.h"

namespace korvo::cli {

namespace {

QString lineName(int lineCheck) {
    switch (lineCheck) {
        case 1:
            return QStringLiteral("ok");
        case -1:
            return QStringLiteral("timeout");
        default:
            return QStringLiteral("no-sync");
    }
}

// The identification of one port. As the probe of `ports`, the outcome is the line check and the
// verdict goes into the detail; as `identify`, the outcome is the verdict.
PortResult identifyPort(PortSession& s, int port, int baudIndex, bool probe) {
    PortResult r = newResult(s, port, probe ? QStringLiteral("ports") : QStringLiteral("identify"));
    if (!openPort(s, port, baudIndex, r)) return r;
    const IdentifyReport rep = identifySensor(s.sensor, port);
    QJsonObject& j = r.json;
    j[QStringLiteral("line")] = lineName(rep.lineCheck);
    j[QStringLiteral("verdict")] = QLatin1String(verdictName(rep.verdict));
    const QString serial = rep.lineCheck == 1 ? QString::number(rep.serialNumber) : QString();
    if (rep.lineCheck == 1) j[QStringLiteral("serial")] = rep.serialNumber;
    const QString firmware = printable(rep.firmwareText);
    if (!firmware.isEmpty()) j[QStringLiteral("firmware")] = firmware;
    if (rep.hardwareRead) {
        j[QStringLiteral("family")] = rep.hardware.familyCode;
        j[QStringLiteral("variant")] = rep.hardware.variantCode;
        j[QStringLiteral("firmwareVersion")] = rep.hardware.firmwareVersion;
        j[QStringLiteral("pixels")] = rep.hardware.pixelCount;
    }
    const QString model = printable(rep.modelLine);
    if (!model.isEmpty()) j[QStringLiteral("model")] = model;
    if (!rep.reason.isEmpty()) j[QStringLiteral("reason")] = rep.reason;

    const bool accepted = rep.verdict == IdentifyVerdict::Accepted;
    QString detail = accepted ? model : rep.reason;
    if (accepted && model.isEmpty() && rep.profile)
        detail = QStringLiteral("model variant %1 is not in the model table")
                     .arg(rep.hardware.variantCode);
    if (accepted && !rep.reason.isEmpty()) detail += QStringLiteral(" (") + rep.reason + ')';
    const int exit = accepted ? kExitOk : kExitSensor;
    if (probe) {
        finish(r, lineName(rep.lineCheck), exit,
               QLatin1String(verdictName(rep.verdict)) + QStringLiteral(": ") + detail);
    } else {
        finish(r, QLatin1String(verdictName(rep.verdict)), exit, detail);
    }
    r.extra = {serial, firmware};
    return r;
}

const std::vector<Column> kIdentifyColumns = {{QStringLiteral("SN"), 6},
                                              {QStringLiteral("FIRMWARE"), 24}};

void printPortRows(Output& out, const std::vector<PortMapEntry>& entries) {
    out.setColumns({{QStringLiteral("PORT"), 6}, {QStringLiteral("DEVICE"), 0}}, false);
    for (const PortMapEntry& e : entries) {
        QJsonObject j;
        j[QStringLiteral("type")] = QStringLiteral("port");
        j[QStringLiteral("port")] = e.com;
        j[QStringLiteral("device")] = e.device;
        out.row({QStringLiteral("COM%1").arg(e.com), e.device}, j);
    }
    out.endTable();
}

// ports --write-map: the adapters plugged in now, added under their stable names; prints the
// lines it added.
int writePortMap(const QString& path, const PortMap& map, const Options& o, Output& out) {
    const QString dir = o.serialDir.isEmpty() ? QString::fromLatin1(kSerialLinkDir) : o.serialDir;
    const QStringList devices = stableSerialDevices(dir);
    const NewPortMapEntries found = newPortMapEntries(map, devices);
    for (const QString& skipped : found.skipped)
        out.error(QStringLiteral("warning: not added to the port map: ") + skipped);
    const std::vector<PortMapEntry>& added = found.added;
    if (added.empty()) {
        if (devices.isEmpty()) {
            out.message(QStringLiteral("No serial adapter under %1/by-id or %1/by-path; the port "
                                       "map %2 stays as it is.")
                            .arg(dir, path));
        } else if (found.skipped.isEmpty()) {
            out.message(QStringLiteral("The port map %1 names every adapter plugged in already.")
                            .arg(path));
        } else {
            out.message(QStringLiteral("The port map %1 stays as it is.").arg(path));
        }
        return kExitOk;
    }
    const FileWriteResult written = appendToPortMap(path, added);
    if (!written.ok) {
        out.error(written.message);
        return kExitUsage;
    }
    printPortRows(out, added);
    out.message(QStringLiteral("Added %1 line(s) to the port map %2.").arg(added.size()).arg(path));
    return kExitOk;
}

}  // namespace

int cmdPorts(const Options& o, Output& out) {
    const QString path = mapPathFor(o);
    const PortMap map = PortMap::load(path);
    if (!map.problem().isEmpty()) {
        out.error(map.problem());
        return kExitUsage;
    }
    if (o.writeMap) return writePortMap(path, map, o, out);
    if (map.size() == 0) {
        out.message(QStringLiteral("The port map %1 names no port; COM n without a line is "
                                   "/dev/ttyS<n-1>.")
                        .arg(path));
        return kExitOk;
    }
    if (o.probe) {
        Options all = o;
        all.allPorts = true;
        const int baud = o.baudIndex;
        return runPortCommand(
            all, out, QStringLiteral("ports"), kIdentifyColumns,
            [baud](PortSession& s, int port) { return identifyPort(s, port, baud, true); });
    }
    std::vector<PortMapEntry> listed;
    for (const auto& [com, device] : map.entries()) listed.push_back({com, device});
    printPortRows(out, listed);
    return kExitOk;
}

int cmdIdentify(const Options& o, Output& out) {
    const int baud = o.baudIndex;
    return runPortCommand(
        o, out, QStringLiteral("identify"), kIdentifyColumns,
        [baud](PortSession& s, int port) { return identifyPort(s, port, baud, false); });
}

}  // namespace korvo::cli
