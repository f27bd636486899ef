#include "app/mplex/MplexSequences.h"

#include "app/connect/ConnectSequence.h"
#include "app/mplex/MplexPanel.h"
#include "app/shell/AuditTrail.h"
#include "app/shell/CallbackRegistry.h"
#include "app/shell/ControlIds.h"
#include "app/shell/LineHold.h"
#include "app/shell/ScopeApp.h"
#include "ui/Events.h"
#include "ui/Platform.h"

namespace korvo {
namespace {

using namespace ids;

QString portText(const char* before, int port, const char* after) {
    return QString::fromLatin1(before) + QString::number(port) + QString::fromLatin1(after);
}

MplexPort& record(ScopeApp& app, int group, int port) {
    return app.state.mplex.groups[group].ports[port];
}

// The general values to the sensor on `com` (command 16), on record with the outcome.
void teachPort(ScopeApp& app, std::uint16_t com) {
    const MplexTable& table = app.state.mplex;
    const bool taught = app.sensor.ActivateTeach(com, table.teachValue, table.upperTolerance,
                                                 table.lowerTolerance) == 1;
    recordWrite(app, com, QStringLiteral("mplex teach"),
                testChanges(table.teachValue, table.upperTolerance, table.lowerTolerance), taught,
                app.sensor.link.mplexStatusText);
}

void setBoth(ScopeApp& app, const QString& text) {
    app.sensor.link.setStatus(text);
    app.sensor.link.setMplexStatus(text);
}

// The status text on the multiplexer panel's status line, the multiplexer status text in the
// port's status field (and its record).
void showBoth(ScopeApp& app, int group, int port) {
    const LinkState& link = app.sensor.link;
    app.ui.setText(app.panels.mpc, MPC_STATUS, link.statusText);
    // A long verdict does not fit the line: the whole text is in its tooltip.
    app.ui.setToolTip(app.panels.mpc, MPC_STATUS, link.statusText);
    app.ui.setText(app.panels.portPanels[group][port], PORT_STATUS, link.mplexStatusText);
    record(app, group, port).statusText = link.mplexStatusText;
}

// The COM number and baud index the operator sees on the port panel are the ones used: those
// fields have no callback of their own, so the record learns of an edit only here.
void takePortSettings(ScopeApp& app, int group, int port) {
    const int panel = app.panels.portPanels[group][port];
    MplexPort& rec = record(app, group, port);
    rec.comPort = static_cast<std::uint16_t>(app.ui.getInt(panel, PORT_COM));
    rec.baudIndex = static_cast<std::uint16_t>(app.ui.getInt(panel, PORT_BAUD));
}

// A port counts as open while its open state is 1 and its device is still there. A device that
// went away (adapter pulled, hang-up) leaves the port closed; its open state then drops to 0 so
// that the next operation opens it again.
bool portIsOpen(ScopeApp& app, MplexPort& rec) {
    if (rec.openState == 1 && !app.ports.isOpen(rec.comPort)) rec.openState = 0;
    return rec.openState == 1;
}

void settleOpenState(ScopeApp& app, int group, int port) {
    portIsOpen(app, record(app, group, port));
}

// The port's status field shows the fixed text; why the opening failed (device path, system
// reason, a port map that was not read) goes into its tool tip.
void openPort(ScopeApp& app, int group, int port) {
    MplexPort& rec = record(app, group, port);
    rec.openState = app.sensor.Init232(rec.comPort, rec.baudIndex);
    app.ui.setToolTip(app.panels.portPanels[group][port], PORT_STATUS,
                      app.ports.errorDetail(rec.comPort));
    app.ui.setToolTip(app.panels.portPanels[group][port], PORT_BAUD,
                      app.ports.baudChangeNotice(rec.comPort));
}

// The group (0..6) and port (0..15) a port panel stands for, from its two identifying controls.
bool portOfPanel(ScopeApp& app, int panel, int& group, int& port) {
    group = app.ui.getInt(panel, PORT_GROUP);
    port = app.ui.getInt(panel, PORT_NUMBER);
    return group >= 0 && group < kMplexGroups && port >= 0 && port < kMplexPortsPerGroup;
}

int activeGroup(ScopeApp& app) {
    const int page = app.ui.activeTabPage(app.panels.mpc, MPC_TAB);
    return (page >= 0 && page < kMplexGroups) ? page : 0;
}

// A loop that ran to its end hands the stop flag back as it found it, so that "stopped" stays
// true for everything that tests it afterwards; inside a running measurement loop (flag 0) it
// stays 0.
void endLoop(LinkState& link, int flagBefore) {
    if (link.stopFlag == kStopRunning && flagBefore != kStopRunning) link.stopFlag = flagBefore;
}

template <typename PerGroup>
void forEachEnabledGroup(ScopeApp& app, PerGroup run) {
    for (int g = 0; g < kMplexGroups; ++g) {
        const int enabled = GetMplexTabState(app, g);
        app.ui.setActiveTabPage(app.panels.mpc, MPC_TAB, g);
        if (enabled != 0) run(g + 1);
    }
}

// Shows the scope window with the Para1 page selected by its tab toggles.
void showScopeWindow(ScopeApp& app) {
    ui::Platform& ui = app.ui;
    const Panels& pn = app.panels;
    ui.displayPanel(pn.main);
    ui.setInt(pn.main, MAIN_TAB_PARA1, 1);
    for (int c : {MAIN_TAB_PARA2, MAIN_TAB_RECORDER, MAIN_TAB_CALIB}) ui.setInt(pn.main, c, 0);
    for (int child : {pn.para2, pn.recorder, pn.calib}) ui.hidePanel(child);
    ui.displayPanel(pn.para1);
}

void scopeOff(ScopeApp& app, int group, int port) {
    app.sensor.link.stopFlag = kStopByUser;
    lineScopeGives(app);
    app.ui.hidePanel(app.panels.main);
    app.ui.hidePanel(app.panels.para1);
    record(app, group, port).scopeActive = 0;
    app.ui.setInt(app.panels.portPanels[group][port], PORT_SCOPE, 0);
}

void scopeOn(ScopeApp& app, int group, int port) {
    LinkState& link = app.sensor.link;
    const int panel = app.panels.portPanels[group][port];
    MplexPort& rec = record(app, group, port);
    const int n = port + 1;

    showScopeWindow(app);
    rec.scopeActive = 1;
    app.ui.setInt(panel, PORT_SCOPE, 1);
    takePortSettings(app, group, port);
    lineScopeTakes(app, rec.comPort);
    link.portNumber = rec.comPort;
    link.baudIndex = rec.baudIndex;

    if (!portIsOpen(app, rec)) openPort(app, group, port);
    setBoth(app, rec.openState == 1 ? portText("Port P", n, " open OK!")
                                    : portText("Init-Port P", n, " ERROR!"));
    showBoth(app, group, port);
    if (rec.openState == 1) {
        Init232DataExchange(app, rec.comPort);
        settleOpenState(app, group, port);
        showBoth(app, group, port);
    }

    app.ui.setInt(app.panels.connect, CON_PORT, link.portNumber);
    app.ui.setInt(app.panels.connect, CON_BAUD, link.baudIndex);
    app.ui.setInt(app.panels.main, MAIN_PORTNUM, link.portNumber);
}

// The loop of INIT and TEACH over the 16 ports of group g (0..6): events run before each port,
// perPort serves every enabled one, and STOP ends the loop after the port in progress with
// stoppedText on the status line (result 0). The stop flag is cleared at the start, so that STOP
// during INIT ALL or TEACH ALL ends only the group in progress.
template <typename PerPort>
int runGroupLoop(ScopeApp& app, int g, const char* stoppedText, PerPort perPort) {
    LinkState& link = app.sensor.link;
    const int flagBefore = link.stopFlag;
    link.stopFlag = kStopRunning;
    for (int p = 0; p < kMplexPortsPerGroup; ++p) {
        app.pump.processEvents();
        if (record(app, g, p).enabled != 0) {
            const LinePause pause(app, record(app, g, p).comPort);
            perPort(p, p + 1);
        }
        if (link.stopFlag == kStopByUser) {
            app.ui.setText(app.panels.mpc, MPC_STATUS, QString::fromLatin1(stoppedText));
            return 0;
        }
    }
    endLoop(link, flagBefore);
    return 1;
}

}  // namespace

int InitMplex(ScopeApp& app, int group) {
    if (group < 1 || group > kMplexGroups) return 1;
    const int g = group - 1;
    return runGroupLoop(app, g, "OPEN/INIT stopped !", [&app, g](int p, int n) {
        MplexPort& rec = record(app, g, p);
        setBoth(app, portText("Init-Port P", n, " ..."));
        showBoth(app, g, p);
        takePortSettings(app, g, p);
        if (portIsOpen(app, rec)) {
            setBoth(app, portText("Port P", n, " open OK!"));
        } else {
            openPort(app, g, p);
            setBoth(app, rec.openState == 1 ? portText("Init-Port P", n, " OK!")
                                            : portText("Init-Port P", n, " ERROR!"));
        }
        showBoth(app, g, p);
    });
}

int ActivateMplex(ScopeApp& app, int group) {
    if (group < 1 || group > kMplexGroups) return 1;
    const int g = group - 1;
    return runGroupLoop(app, g, "TEACH-IN stopped !", [&app, g](int p, int n) {
        LinkState& link = app.sensor.link;
        MplexTable& table = app.state.mplex;
        MplexPort& rec = record(app, g, p);
        GetMplexPortValues(app, g, p);
        link.setStatus(portText("Activate Teach-In P", n, " ..."));
        link.setMplexStatus(portText("Activate Teach P", n, " ..."));
        showBoth(app, g, p);
        if (!portIsOpen(app, rec)) {
            setBoth(app, portText("Port P", n, " not open!"));
        } else {
            teachPort(app, table.currentPort.comPort);
            settleOpenState(app, g, p);
        }
        table.currentPort.openState = rec.openState;
        showBoth(app, g, p);
    });
}

int CC_BTNinit(ScopeApp& app, int, int, int event, void*, int, int) {
    if (event == ui::EVENT_COMMIT) InitMplex(app, activeGroup(app) + 1);
    return 0;
}

int CC_BTNinitAll(ScopeApp& app, int, int, int event, void*, int, int) {
    if (event == ui::EVENT_COMMIT) forEachEnabledGroup(app, [&app](int g) { InitMplex(app, g); });
    return 0;
}

// The general values are taken on the press; the commit takes them again so that a TEACH
// started from the keyboard, which has no press, sends what the fields show.
int CC_BTNteach(ScopeApp& app, int, int, int event, void*, int, int) {
    if (event == ui::EVENT_LEFT_CLICK) GetMplexGeneralValues(app);
    if (event == ui::EVENT_COMMIT) {
        GetMplexGeneralValues(app);
        ActivateMplex(app, activeGroup(app) + 1);
    }
    return 0;
}

int CC_BTNteachAll(ScopeApp& app, int, int, int event, void*, int, int) {
    if (event == ui::EVENT_LEFT_CLICK) GetMplexGeneralValues(app);
    if (event == ui::EVENT_COMMIT) {
        GetMplexGeneralValues(app);
        forEachEnabledGroup(app, [&app](int g) { ActivateMplex(app, g); });
    }
    return 0;
}

int CC_BTNstop(ScopeApp& app, int, int, int event, void*, int, int) {
    if (event == ui::EVENT_COMMIT || event == ui::EVENT_LEFT_CLICK || event == ui::EVENT_KEYPRESS)
        app.sensor.link.stopFlag = kStopByUser;
    return 0;
}

int CC_Check(ScopeApp& app, int panel, int, int event, void*, int, int) {
    if (event != ui::EVENT_VAL_CHANGED) return 0;
    int g = 0, p = 0;
    if (!portOfPanel(app, panel, g, p)) return 0;
    MplexPort& rec = record(app, g, p);
    rec.enabled = app.ui.getInt(panel, PORT_ENABLE);
    if (rec.enabled == 0) {
        DimmPort(app, g, p, 1);
        return 0;
    }
    DimmPort(app, g, p, 0);
    const int n = p + 1;
    takePortSettings(app, g, p);
    if (portIsOpen(app, rec)) {
        setBoth(app, portText("Check-Line Port", n, " ..."));
        showBoth(app, g, p);
        app.sensor.Check232Line(rec.comPort);
        settleOpenState(app, g, p);
    } else {
        setBoth(app, portText("Init-Port P", n, " ..."));
        showBoth(app, g, p);
        openPort(app, g, p);
        setBoth(app, rec.openState == 1 ? portText("Init-Port P", n, " OK!")
                                        : portText("Init-Port P", n, " ERROR!"));
    }
    showBoth(app, g, p);
    return 0;
}

int CC_TOGGscope(ScopeApp& app, int panel, int, int event, void*, int, int) {
    if (event == ui::EVENT_LEFT_CLICK) {
        // A running scope loop ends before the toggle changes.
        app.sensor.link.stopFlag = kStopByUser;
        return 0;
    }
    if (event != ui::EVENT_VAL_CHANGED) return 0;
    int g = 0, p = 0;
    if (!portOfPanel(app, panel, g, p)) return 0;
    const bool on = app.ui.getInt(panel, PORT_SCOPE) != 0;
    // At most one port of a group hands its sensor to the scope window.
    for (int other = 0; other < kMplexPortsPerGroup; ++other) {
        app.ui.setInt(app.panels.portPanels[g][other], PORT_SCOPE, 0);
        record(app, g, other).scopeActive = 0;
    }
    if (on) {
        scopeOn(app, g, p);
    } else {
        scopeOff(app, g, p);
    }
    return 0;
}

int CC_DispStatus(ScopeApp& app, int panel, int, int event, void*, int, int) {
    if (event != ui::EVENT_LEFT_CLICK && event != ui::EVENT_LEFT_DOUBLE_CLICK) return 0;
    int g = 0, p = 0;
    if (!portOfPanel(app, panel, g, p)) return 0;
    MplexTable& table = app.state.mplex;
    GetMplexGeneralValues(app);
    GetMplexPortValues(app, g, p);
    table.currentPort.openState = record(app, g, p).openState;
    if (event != ui::EVENT_LEFT_DOUBLE_CLICK) return 0;

    app.ui.setText(panel, PORT_STATUS, QStringLiteral("activating new values"));
    const std::uint16_t com = table.currentPort.comPort;
    const LinePause pause(app, com);
    if (app.sensor.Check232Line(com) == 1) teachPort(app, com);
    settleOpenState(app, g, p);
    app.ui.setText(panel, PORT_STATUS, app.sensor.link.mplexStatusText);
    record(app, g, p).statusText = app.sensor.link.mplexStatusText;
    return 0;
}

void registerMplexSequenceCallbacks(ScopeApp& app) {
    bindCallback(app, QStringLiteral("CC_BTNinit"), CC_BTNinit);
    bindCallback(app, QStringLiteral("CC_BTNinitAll"), CC_BTNinitAll);
    bindCallback(app, QStringLiteral("CC_BTNteach"), CC_BTNteach);
    bindCallback(app, QStringLiteral("CC_BTNteachAll"), CC_BTNteachAll);
    bindCallback(app, QStringLiteral("CC_BTNstop"), CC_BTNstop);
    bindCallback(app, QStringLiteral("CC_Check"), CC_Check);
    bindCallback(app, QStringLiteral("CC_TOGGscope"), CC_TOGGscope);
    bindCallback(app, QStringLiteral("CC_DispStatus"), CC_DispStatus);
}

}  // namespace korvo
