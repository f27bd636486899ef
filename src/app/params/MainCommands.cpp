#include "app/params/MainCommands.h"

#include <QFileInfo>

#include "app/params/PanelBinding.h"
#include "app/params/ParamExchange.h"
#include "app/shell/AuditTrail.h"
#include "app/shell/CallbackRegistry.h"
#include "app/shell/ControlIds.h"
#include "app/shell/ScopeApp.h"
#include "core/params/ParamFile.h"
#include "ui/Events.h"
#include "ui/Graph.h"
#include "ui/Platform.h"

namespace korvo {
namespace {

using namespace ids;

const QString kFileDialogFilter = QString::fromLatin1(kParamFileFilter);
const QString kDefaultParamFile = QString::fromLatin1(kDefaultParamFileName);

void showWithDetail(ScopeApp& app, const char* text, const QString& detail) {
    ShowMainStatus(app, QString::fromLatin1(text));
    // The fixed text stays short; the path and the reason go alongside.
    app.ui.setToolTip(app.panels.main, MAIN_STATUS, detail);
}

// ---- GET -----------------------------------------------------------------------------------

void getBothHalves(ScopeApp& app) {
    const int target = app.state.memoryTarget;
    PushGET(app, target, 0, portInUse(app));
    app.pump.delay(0.1);
    PushGET(app, target, 1, portInUse(app));
    app.pump.delay(0.1);
}

void getFromFile(ScopeApp& app) {
    const ui::FileChoice choice =
        app.ui.popups().fileSelect(app.state.files.dialogDir, kDefaultParamFile, kFileDialogFilter,
                                   QStringLiteral("KORVO-KM-Series-Parameter-File"));
    if (choice.status == ui::FileChoice::Cancelled || choice.path.isEmpty()) {
        showWithDetail(app, kParamNotReadFromFile, {});
        return;
    }
    // Nothing is taken from a file that cannot be read, nor before a sensor model is known (the
    // ranges of the set depend on it); saying "read" then would hide that nothing changed.
    const std::uint16_t hwType = app.sensor.model.hardwareType;
    std::vector<ParamValueProblem> unread;
    if (ReadParaFromFileI(app.sensor.params, choice.path, hwType, &unread) != 1) {
        const QString why = hwType == 1 || hwType == 3
                                ? QStringLiteral("%1: cannot be read").arg(choice.path)
                                : QStringLiteral("%1: no sensor model known yet").arg(choice.path);
        showWithDetail(app, kParamNotReadFromFile, why);
        return;
    }
    // With the File target PushGET sends nothing and only brings the panels up to date.
    getBothHalves(app);
    // The keys that kept their field are named beside the path: the status text alone would
    // say the whole file was read.
    QString detail = choice.path;
    if (!unread.empty()) detail += QStringLiteral("\nnot read, the field kept its value:");
    for (const ParamValueProblem& p : unread) detail += QStringLiteral("\n") + p.text();
    showWithDetail(app, kParamReadFromFile, detail);
}

// ---- SEND ----------------------------------------------------------------------------------

void writeParamFile(ScopeApp& app, const QString& path) {
    const FileWriteResult written = SendParaToFileI(app.sensor.params, path);
    if (written.ok) {
        showWithDetail(app, kParamSavedToFile, path);
    } else {
        showWithDetail(app, kParamSavingFailed, written.message);
    }
}

void sendToFile(ScopeApp& app) {
    GetPanelValues(app);
    const ui::FileChoice choice =
        app.ui.popups().fileSelect(app.state.files.dialogDir, kDefaultParamFile, kFileDialogFilter,
                                   QStringLiteral("KORVO-KM-Series Parameter File"));
    if (choice.status == ui::FileChoice::Cancelled || choice.path.isEmpty()) {
        showWithDetail(app, kParamSavingFailed, {});
        return;
    }
    if (QFileInfo::exists(choice.path)) {
        const bool overwrite =
            app.ui.popups().confirm(QStringLiteral("ATTENTION!"),
                                    QStringLiteral("Parameter-File already exists - overwrite ?"));
        if (!overwrite) {
            showWithDetail(app, kParamNotSavedToFile, choice.path);
            return;
        }
    }
    writeParamFile(app, choice.path);
}

void sendToSensor(ScopeApp& app) {
    const int target = app.state.memoryTarget;
    const std::optional<ParamSet> before = knownSensorSet(app, target);
    GetPanelValues(app);
    const int port = portInUse(app);
    const bool sent0 = PushSEND(app, target, 0, port) == 1;
    app.pump.delay(0.1);
    // para1 goes out even when para0 found no answer; the row's reason is the first failure.
    const QString failure = sent0 ? QString() : app.sensor.link.statusText;
    const bool sent1 = PushSEND(app, target, 1, port) == 1;
    const bool sent = sent0 && sent1;
    recordWrite(
        app, port,
        target == kMemoryEeprom ? QStringLiteral("send eeprom") : QStringLiteral("send ram"),
        setChanges(before, app.sensor.params), sent, sent0 ? app.sensor.link.statusText : failure);
    if (sent) noteSensorSet(app, target);
    // SEND does not stop run mode: hand the running loop its next request.
    app.sensor.resumeRunLoop();
}

// ---- memory target -------------------------------------------------------------------------

void memoryTargetChanged(ScopeApp& app, int radio, int target) {
    ui::Platform& ui = app.ui;
    const int main = app.panels.main;
    const int radios[] = {MAIN_RAM, MAIN_EEPROM, MAIN_FILE};
    if (ui.getInt(main, radio) != 0) {
        app.state.memoryTarget = target;
        for (int r : radios) ui.setInt(main, r, r == radio ? 1 : 0);
    } else {
        // Switching a radio off falls back to RAM: there is always exactly one target.
        app.state.memoryTarget = kMemoryRam;
        for (int r : radios) ui.setInt(main, r, r == MAIN_RAM ? 1 : 0);
    }
}

// ---- evaluation range ----------------------------------------------------------------------

void moveProfileCursor(ScopeApp& app, int cursor, int x) {
    if (ui::GraphWidget* g = app.ui.graph(app.panels.main, MAIN_PROFILE))
        g->setCursor(cursor, x, 1.0);
}

// ---- tab toggles ---------------------------------------------------------------------------

struct Tab {
    int toggle;
    int Panels::*panel;
};

constexpr Tab kTabs[] = {{MAIN_TAB_PARA1, &Panels::para1},
                         {MAIN_TAB_PARA2, &Panels::para2},
                         {MAIN_TAB_RECORDER, &Panels::recorder},
                         {MAIN_TAB_CALIB, &Panels::calib}};

int tabToggle(ScopeApp& app, int event, int toggle) {
    ui::Platform& ui = app.ui;
    const int main = app.panels.main;
    if (event == ui::EVENT_LEFT_CLICK) {
        for (const Tab& t : kTabs)
            if (t.toggle != toggle) ui.setInt(main, t.toggle, 0);
    } else if (event == ui::EVENT_COMMIT) {
        int own = 0;
        for (const Tab& t : kTabs)
            if (t.toggle == toggle) own = app.panels.*t.panel;
        if (own <= 0) return 0;
        const QRect at = ui.panelGeometry(own);
        ui.setPanelPos(own, at.top(), at.left());
        // A click on the active toggle leaves it on.
        ui.setInt(main, toggle, 1);
        for (const Tab& t : kTabs)
            if (t.toggle != toggle) ui.hidePanel(app.panels.*t.panel);
        ui.displayPanel(own);
    }
    return 0;
}

}  // namespace

int CC_BTNGet(ScopeApp& app, int, int, int event, void*, int, int) {
    if (event == ui::EVENT_LEFT_CLICK) {
        // GET ends a running loop before its commit starts the exchange.
        app.sensor.link.stopFlag = kStopByUser;
        if (app.state.memoryTarget != kMemoryFile) {
            app.sensor.WriteDummyFrame(portInUse(app));
            app.pump.delay(0.05);
        }
    } else if (event == ui::EVENT_COMMIT) {
        if (app.state.memoryTarget == kMemoryFile) {
            getFromFile(app);
        } else {
            app.sensor.link.commandCode = app.state.memoryTarget == kMemoryEeprom ? 4 : 2;
            getBothHalves(app);
        }
    }
    return 0;
}

int CC_BTNSend(ScopeApp& app, int, int, int event, void*, int, int) {
    if (event != ui::EVENT_COMMIT) return 0;
    ShowMainStatus(app, QStringLiteral("Transmit..."));
    if (app.state.memoryTarget == kMemoryFile) {
        sendToFile(app);
    } else {
        sendToSensor(app);
    }
    return 0;
}

int CC_RBTRam(ScopeApp& app, int, int control, int event, void*, int, int) {
    if (event == ui::EVENT_VAL_CHANGED) memoryTargetChanged(app, control, kMemoryRam);
    return 0;
}

int CC_RBTEeprom(ScopeApp& app, int, int control, int event, void*, int, int) {
    if (event == ui::EVENT_VAL_CHANGED) memoryTargetChanged(app, control, kMemoryEeprom);
    return 0;
}

int CC_RBTFile(ScopeApp& app, int, int control, int event, void*, int, int) {
    if (event == ui::EVENT_VAL_CHANGED) memoryTargetChanged(app, control, kMemoryFile);
    return 0;
}

int CC_NEDITEdgeLeft(ScopeApp& app, int panel, int control, int event, void*, int, int) {
    if (event != ui::EVENT_COMMIT) return 0;
    const ModelState& m = app.sensor.model;
    const EvalRangeField f =
        evalBeginField(app.ui.getInt(panel, control), m.firstPixel, m.lastPixel);
    if (f.replaced) app.sensor.params.evalBegin = static_cast<std::uint16_t>(f.value);
    app.ui.setInt(panel, control, f.value);
    moveProfileCursor(app, 2, f.value);
    return 0;
}

int CC_NEDITEdgeRight(ScopeApp& app, int panel, int control, int event, void*, int, int) {
    if (event != ui::EVENT_COMMIT) return 0;
    const ModelState& m = app.sensor.model;
    const EvalRangeField f = evalEndField(app.ui.getInt(panel, control), m.firstPixel, m.lastPixel);
    if (f.replaced) app.sensor.params.evalEnd = static_cast<std::uint16_t>(f.value);
    app.ui.setInt(panel, control, f.value);
    moveProfileCursor(app, 3, f.value);
    return 0;
}

int CC_TOGGBTN_Para1(ScopeApp& app, int, int control, int event, void*, int, int) {
    return tabToggle(app, event, control);
}

int CC_TOGGBTN_Para2(ScopeApp& app, int, int control, int event, void*, int, int) {
    return tabToggle(app, event, control);
}

int CC_TOGGBTN_Recorder(ScopeApp& app, int, int control, int event, void*, int, int) {
    return tabToggle(app, event, control);
}

int CC_TOGGBTN_Calib(ScopeApp& app, int, int control, int event, void*, int, int) {
    return tabToggle(app, event, control);
}

void registerMainCommandCallbacks(ScopeApp& app) {
    const struct {
        const char* name;
        AppCallback fn;
    } callbacks[] = {
        {"CC_BTNGet", CC_BTNGet},
        {"CC_BTNSend", CC_BTNSend},
        {"CC_RBTRam", CC_RBTRam},
        {"CC_RBTEeprom", CC_RBTEeprom},
        {"CC_RBTFile", CC_RBTFile},
        {"CC_NEDITEdgeLeft", CC_NEDITEdgeLeft},
        {"CC_NEDITEdgeRight", CC_NEDITEdgeRight},
        {"CC_TOGGBTN_Para1", CC_TOGGBTN_Para1},
        {"CC_TOGGBTN_Para2", CC_TOGGBTN_Para2},
        {"CC_TOGGBTN_Recorder", CC_TOGGBTN_Recorder},
        {"CC_TOGGBTN_Calib", CC_TOGGBTN_Calib},
    };
    for (const auto& c : callbacks) bindCallback(app, QString::fromLatin1(c.name), c.fn);
}

}  // namespace korvo
