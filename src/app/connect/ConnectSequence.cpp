#include "app/connect/ConnectSequence.h"

#include <optional>

#include "app/params/ModelApply.h"
#include "app/params/PanelBinding.h"
#include "app/params/ParamExchange.h"
#include "app/shell/ControlIds.h"
#include "app/shell/ScopeApp.h"
#include "core/link/Identification.h"
#include "ui/Platform.h"

namespace korvo {
namespace {

using namespace ids;

constexpr double kSettleSeconds = 0.05;

const QString& attentionTitle() {
    static const QString title = QString::fromLatin1(kIdentifyPopupTitle);
    return title;
}

// A failed line check: the connect pop-up's ACCEPT becomes unusable and the pop-up's port field
// is what DISCARD will go back to. The connect pop-up's own sequence also opens the pop-up again
// with CONNECT pressed and dims the exchange buttons.
void lineCheckFailed(ScopeApp& app, const ConnectOptions& options) {
    ui::Platform& ui = app.ui;
    const Panels& pn = app.panels;
    if (options.fullFailureHandling) ui.setInt(pn.main, MAIN_CONNECT, 1);
    ui.setDimmed(pn.connect, CON_ACCEPT, true);
    app.state.savedPortNumber = static_cast<std::uint16_t>(ui.getInt(pn.connect, CON_PORT));
    if (options.fullFailureHandling) {
        ui.displayPanel(pn.connect);
        DimmButtons(app, 1);
    }
    app.status.showStatus(app.sensor.link.statusText, StatusLine::Main);
}

// Identification after a good line check. Returns the sequence's result; popupText is set when
// the pop-up status line is to show something at the end.
int identify(ScopeApp& app, std::uint16_t port, const ConnectOptions& options,
             std::optional<QString>& popupText) {
    PortSensor& s = app.sensor;
    LinkState& link = s.link;

    if (options.waitBeforeFirmware) app.pump.delay(kSettleSeconds);
    if (s.GetVERSIONInfo(port) < kFirmwareTextBytes) {
        link.setStatus(QStringLiteral("Error reading firmware-info!"));
        return 1;
    }

    const FirmwareDecision firmware = decideFirmware(link.firmwareText);
    DimmButtons(app, firmware.buttonsUsable ? 0 : 1);
    if (!firmware.popupMessage.isEmpty())
        app.ui.popups().message(attentionTitle(), firmware.popupMessage);
    if (!firmware.statusText.isEmpty()) link.setStatus(firmware.statusText);
    if (firmware.popupTextIsFirmware) popupText = link.firmwareText;
    if (!firmware.goOn) return 1;

    app.pump.delay(kSettleSeconds);
    const HardwareQuery hardware = s.GetHARDWAREInfo(port);
    if (hardware.result != 1 || !hardware.profile) {
        link.setStatus(QStringLiteral("Error reading HARDWARE-info!"));
        return 0;
    }
    applyModelProfile(app, *hardware.profile);

    const VersionDecision version = checkFirmwareVersion(s.model.firmwareVersion);
    if (version.verdict != VersionVerdict::Supported) {
        app.ui.popups().message(attentionTitle(), version.popupMessage);
        link.setStatus(version.statusText);
        popupText = link.firmwareText;
        DimmButtons(app, 1);
        return 1;
    }

    // The multiplexer reads the parameters through the port in use, which its scope toggle has
    // just made this port.
    const std::uint16_t getPort = options.getOnPortInUse ? link.portNumber : port;
    app.pump.delay(kSettleSeconds);
    PushGET(app, kMemoryRam, 0, getPort);
    app.pump.delay(kSettleSeconds);
    PushGET(app, kMemoryRam, 1, getPort);
    link.setStatus(link.firmwareText);
    popupText = link.firmwareText + serialNumberSuffix(link.serialNumber);
    GetEEThreshold(app);
    s.video.autoCurve = s.video.thresholdArray;
    return 1;
}

}  // namespace

ConnectOptions connectDialogOptions() {
    return ConnectOptions{};
}

ConnectOptions multiplexerConnectOptions() {
    ConnectOptions options;
    options.dummyFrameFirst = false;
    options.multiplexerLineCheck = true;
    options.fullFailureHandling = false;
    options.waitBeforeFirmware = false;
    options.getOnPortInUse = true;
    return options;
}

int RunConnectSequence(ScopeApp& app, std::uint16_t port, const ConnectOptions& options) {
    if (options.dummyFrameFirst) {
        app.sensor.WriteDummyFrame(port);
        app.pump.delay(kSettleSeconds);
    }
    const int check = options.multiplexerLineCheck ? app.sensor.Check232Line(port)
                                                   : app.sensor.CheckComLine(port);
    if (check != 1) {
        lineCheckFailed(app, options);
        return check;
    }

    std::optional<QString> popupText;
    const int result = identify(app, port, options, popupText);
    app.status.showStatus(app.sensor.link.statusText, StatusLine::Main);
    if (popupText) app.status.showStatus(*popupText, StatusLine::Popup);
    return result;
}

int InitRS232DataExchange(ScopeApp& app, std::uint16_t port) {
    return RunConnectSequence(app, port, connectDialogOptions());
}

int Init232DataExchange(ScopeApp& app, std::uint16_t port) {
    return RunConnectSequence(app, port, multiplexerConnectOptions());
}

}  // namespace korvo
