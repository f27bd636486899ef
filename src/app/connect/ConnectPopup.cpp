#include "app/connect/ConnectPopup.h"

#include "app/connect/ConnectSequence.h"
#include "app/help/HelpBox.h"
#include "app/shell/AuditTrail.h"
#include "app/shell/CallbackRegistry.h"
#include "app/shell/ControlIds.h"
#include "app/shell/ControlStates.h"
#include "app/shell/ScopeApp.h"
#include "core/link/PortSettings.h"
#include "core/params/AppSettings.h"
#include "ui/Events.h"
#include "ui/Platform.h"

namespace korvo {
namespace {

using namespace ids;

void setAcceptDimmed(ScopeApp& app, bool dimmed) {
    app.ui.setDimmed(app.panels.connect, CON_ACCEPT, dimmed);
}

std::uint16_t portField(const ScopeApp& app) {
    return static_cast<std::uint16_t>(app.ui.getInt(app.panels.connect, CON_PORT));
}

std::uint16_t baudField(const ScopeApp& app) {
    return static_cast<std::uint16_t>(app.ui.getInt(app.panels.connect, CON_BAUD));
}

// A baud change on a raw TCP port never reaches the device server; the baud controls say so
// while the port field names such a port.
void showBaudNotice(ScopeApp& app) {
    const QString notice = app.ports.baudChangeNotice(portField(app));
    app.ui.setToolTip(app.panels.connect, CON_BAUD, notice);
    app.ui.setToolTip(app.panels.connect, CON_CHANGEBAUD, notice);
}

// ACCEPT and DISCARD end the pop-up the same way.
void closePopup(ScopeApp& app) {
    HideConnectHelpBox(app);
    app.ui.setInt(app.panels.main, MAIN_CONNECT, 0);
    app.ui.hidePanel(app.panels.connect);
}

void tryToConnect(ScopeApp& app) {
    LinkState& link = app.sensor.link;
    link.stopFlag = kStopByUser;
    app.pump.processEvents();

    app.state.savedPortNumber = link.portNumber;
    app.state.savedBaudIndex = link.baudIndex;
    app.ports.close(app.state.savedPortNumber);

    link.portNumber = portField(app);
    link.baudIndex = baudField(app);
    app.status.showStatus(QStringLiteral("Init RS-232-COM-Port ..."), StatusLine::Both);

    if (app.sensor.InitRS232(link.portNumber, link.baudIndex) < 0) {
        setAcceptDimmed(app, true);
        return;
    }
    if (InitRS232DataExchange(app, link.portNumber) == 1) {
        setAcceptDimmed(app, false);
        RefreshControlStates(app);
    }
}

// The file name stays as it is. Windows hides this file from folder listings; Linux has no
// such attribute short of renaming it to a dot file, and the program must find it under its
// own name. Its permissions are left to the user's umask: it holds nothing secret, and several
// operators may share one program folder.
void writeAppSettings(ScopeApp& app) {
    AppSettings s;
    s.comPort = app.ui.getInt(app.panels.connect, CON_PORT);
    s.baudIndex = app.ui.getInt(app.panels.connect, CON_BAUD);
    s.panelMax = app.ui.panelMaximized(app.panels.main) ? 1 : 0;
    const QRect g = app.ui.panelGeometry(app.panels.main);
    s.panelX = g.left();
    s.panelY = g.top();
    s.panelWidth = g.width();
    s.panelHeight = g.height();
    s.hardwareType = app.sensor.model.hardwareType;
    const FileWriteResult written = WriteAppVarToIniFile(s, appSettingsPath(app));
    if (!written.ok) {
        // The connection stays as accepted; only the next start will not know it.
        app.status.showStatus(QStringLiteral("COM settings not saved!"), StatusLine::Main);
        app.ui.setToolTip(app.panels.main, MAIN_STATUS, written.message);
    }
}

void accept(ScopeApp& app) {
    LinkState& link = app.sensor.link;
    link.portNumber = portField(app);
    link.baudIndex = baudField(app);
    app.state.savedPortNumber = link.portNumber;
    writeAppSettings(app);
    closePopup(app);
}

void discard(ScopeApp& app) {
    LinkState& link = app.sensor.link;
    link.portNumber = app.state.savedPortNumber;
    link.baudIndex = app.state.savedBaudIndex;
    app.ui.setInt(app.panels.connect, CON_PORT, link.portNumber);
    app.ui.setInt(app.panels.connect, CON_BAUD, link.baudIndex);
    // The indicator shows the port the next exchange goes to.
    app.status.showPortNumber(link.portNumber);
    setAcceptDimmed(app, true);
    closePopup(app);
}

void changeBaudRate(ScopeApp& app) {
    LinkState& link = app.sensor.link;
    const int before = baudRateForIndex(link.baudIndex);
    link.baudIndex = baudField(app);
    link.portNumber = portField(app);
    // Sends command 190 at the old rate and, on the echo, reopens the port at the new one; it
    // shows its outcome on both status lines.
    const bool changed = app.sensor.ChangeBaudRate(link.portNumber, link.baudIndex) == 1;
    if (changed) app.ui.setDimmed(app.panels.connect, CON_TRY, false);
    recordWrite(app, link.portNumber, QStringLiteral("baud"),
                {{QStringLiteral("baud rate"), before, baudRateForIndex(link.baudIndex)}}, changed,
                link.statusText);
}

}  // namespace

QString appSettingsPath(const ScopeApp& app) {
    return app.state.settingsFile(QString::fromLatin1(kAppSettingsFileName));
}

int OpenConnectPopup(ScopeApp& app) {
    ui::Platform& ui = app.ui;
    const int wasOn = ui.getInt(app.panels.main, MAIN_CONNECT);
    ui.setInt(app.panels.main, MAIN_CONNECT, 1);
    // The click found the toggle pressed: the pop-up is open, and only ACCEPT or DISCARD end it.
    if (wasOn == 0) return 1;
    app.state.savedPortNumber = portField(app);
    app.state.savedBaudIndex = baudField(app);
    setAcceptDimmed(app, true);
    ui.setDimmed(app.panels.connect, CON_DISCARD, false);
    showBaudNotice(app);
    ui.displayPanel(app.panels.connect);
    return 0;
}

int CC_CBTNTryToConnect(ScopeApp& app, int, int, int event, void*, int, int) {
    if (event == ui::EVENT_LEFT_CLICK) {
        app.sensor.link.stopFlag = kStopByUser;
    } else if (event == ui::EVENT_COMMIT) {
        tryToConnect(app);
    }
    return 0;
}

int CC_CBTNAcceptComSetting(ScopeApp& app, int, int, int event, void*, int, int) {
    if (event == ui::EVENT_LEFT_CLICK) {
        app.sensor.link.stopFlag = kStopByUser;
    } else if (event == ui::EVENT_COMMIT) {
        accept(app);
    }
    return 0;
}

int CC_CBTNDiscardComSetting(ScopeApp& app, int, int, int event, void*, int, int) {
    if (event == ui::EVENT_LEFT_CLICK) {
        app.sensor.link.stopFlag = kStopByUser;
    } else if (event == ui::EVENT_COMMIT) {
        discard(app);
    }
    return 0;
}

int CC_CBTNChangeBaudRate(ScopeApp& app, int, int, int event, void*, int, int) {
    if (event == ui::EVENT_LEFT_CLICK) {
        // Ends a running stream from the sensor before the commit talks to it.
        app.sensor.link.stopFlag = kStopByUser;
        app.sensor.WriteDummyFrame(app.sensor.link.portNumber);
    } else if (event == ui::EVENT_COMMIT) {
        changeBaudRate(app);
    }
    return 0;
}

int CC_NUMrs232comport(ScopeApp& app, int, int, int event, void*, int, int) {
    if (event == ui::EVENT_VAL_CHANGED) showBaudNotice(app);
    return 0;
}

int CC_DROPBaudRate(ScopeApp&, int, int, int, void*, int, int) {
    return 0;
}

int CC_TOGGBTNConnect(ScopeApp& app, int, int, int event, void*, int, int) {
    if (event == ui::EVENT_LEFT_CLICK) {
        app.sensor.link.stopFlag = kStopByUser;
    } else if (event == ui::EVENT_COMMIT) {
        return OpenConnectPopup(app);
    }
    return 0;
}

void registerConnectPopupCallbacks(ScopeApp& app) {
    bindCallback(app, QStringLiteral("CC_TOGGBTNConnect"), CC_TOGGBTNConnect);
    bindCallback(app, QStringLiteral("CC_CBTNTryToConnect"), CC_CBTNTryToConnect);
    bindCallback(app, QStringLiteral("CC_CBTNAcceptComSetting"), CC_CBTNAcceptComSetting);
    bindCallback(app, QStringLiteral("CC_CBTNDiscardComSetting"), CC_CBTNDiscardComSetting);
    bindCallback(app, QStringLiteral("CC_CBTNChangeBaudRate"), CC_CBTNChangeBaudRate);
    bindCallback(app, QStringLiteral("CC_NUMrs232comport"), CC_NUMrs232comport);
    bindCallback(app, QStringLiteral("CC_DROPBaudRate"), CC_DROPBaudRate);
}

}  // namespace korvo
