#include "app/shell/AuditTrail.h"

#include <QWidget>

#include "app/shell/ControlIds.h"
#include "app/shell/ScopeApp.h"
#include "ui/Platform.h"

namespace korvo {

void recordWrite(ScopeApp& app, int com, const QString& operation, std::vector<AuditChange> changes,
                 bool ok, const QString& reason) {
    AuditEntry e = AuditLog::entryNow(QStringLiteral("korvo-km-scope"));
    const LinkState& link = app.sensor.link;
    e.com = com;
    e.device = app.ports.devicePathFor(com);
    if (const auto serial = link.lineSerials.find(com); serial != link.lineSerials.end())
        e.serial = serial->second;
    // The firmware text and the model belong to the sensor the scope window connected to; the
    // multiplexer's other ports are known by their line checks only.
    if (com == portInUse(app)) {
        e.firmware = link.firmwareText.trimmed();
        e.modelLine = app.state.modelLine;
    }
    e.operation = operation;
    e.changes = std::move(changes);
    e.ok = ok;
    if (!ok) e.reason = reason.trimmed();
    const QString failed = AuditLog(AuditLog::pathIn(app.state.files)).record(e);
    if (failed.isEmpty() || app.panels.main <= 0) return;
    const QWidget* status = app.ui.ctrl(app.panels.main, ids::MAIN_STATUS);
    QString tip = status ? status->toolTip() : QString();
    if (!tip.isEmpty()) tip += QLatin1Char('\n');
    app.ui.setToolTip(app.panels.main, ids::MAIN_STATUS,
                      tip + QStringLiteral("audit log not written: ") + failed);
}

std::optional<ParamSet> knownSensorSet(const ScopeApp& app, int memory) {
    const KnownSensorSet& known =
        memory == kMemoryEeprom ? app.state.knownEeprom : app.state.knownRam;
    const auto serial = app.sensor.link.lineSerials.find(portInUse(app));
    if (!known.set || known.com != portInUse(app) || serial == app.sensor.link.lineSerials.end() ||
        serial->second != known.serial)
        return std::nullopt;
    return known.set;
}

void noteSensorSet(ScopeApp& app, int memory) {
    KnownSensorSet& known = memory == kMemoryEeprom ? app.state.knownEeprom : app.state.knownRam;
    const auto serial = app.sensor.link.lineSerials.find(portInUse(app));
    known = {};
    if (serial == app.sensor.link.lineSerials.end()) return;
    known.com = portInUse(app);
    known.serial = serial->second;
    known.set = app.sensor.params;
}

}  // namespace korvo
