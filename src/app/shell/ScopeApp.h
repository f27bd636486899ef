#pragma once
// The running program: the platform it draws on, the program-wide state, the panel handles and
// the objects that reach the sensors. One instance lives from start-up to the end; every
// callback receives it. A test builds its own on a platform of its own.

#include <QPointer>
#include <QWidget>
#include <functional>

#include "app/shell/AppState.h"
#include "app/shell/GuiStatusSink.h"
#include "app/shell/Panels.h"
#include "core/link/PortBank.h"
#include "core/link/PortSensor.h"
#include "core/link/Pump.h"

namespace korvo::ui {
class Platform;
}

namespace korvo {

class LineMonitor;

// Operations that this floor calls but that belong to a feature folder; the program's wiring
// (app/program/Wiring.h) fills them in. An empty hook is skipped.
struct FeatureHooks {
    // Reads the stored threshold curve from the sensor into the threshold array and redraws the
    // video graph; called by RefreshControlStates when the video threshold mode is not 0.
    std::function<void()> getEEThreshold;
    // A right click on a control bound to `callback`: toggles its help text and returns true when
    // the name has a help row; the bound function then never sees the click.
    std::function<bool(const QString& callback, int panel, int control)> toggleHelp;
};

struct ScopeApp {
    // The files live where `where` says; without it, all of them in the platform's folder.
    // StartScopeApp (app/program/Startup.h) wires the callbacks and loads the panels.
    explicit ScopeApp(ui::Platform& platform);
    ScopeApp(ui::Platform& platform, const FileLocations& where);
    ScopeApp(const ScopeApp&) = delete;
    ScopeApp& operator=(const ScopeApp&) = delete;
    ~ScopeApp();

    ui::Platform& ui;
    AppState state;
    Panels panels;
    GuiStatusSink status;
    QtPump pump;        // waits let the event loop run
    PortBank ports;     // one serial port per COM number
    PortSensor sensor;  // the scope window's sensor (the multiplexer works its ports through it)
    FeatureHooks hooks;
    // The line monitor while its window is open (owned by the window), and the port it let go
    // of for the scope window (app/shell/LineHold.h).
    LineMonitor* line = nullptr;
    int lineScopeCom = 0;
    QPointer<QWidget> lineWindow;

    // Absolute path of "MPLEX16.ini" in the settings folder.
    QString mplexSettingsPath() const;
};

// The COM port the scope window works on.
inline int portInUse(const ScopeApp& app) {
    return app.sensor.link.portNumber;
}

// The outcome text of an operation: into the status text and onto the main panel's status line.
void ShowMainStatus(ScopeApp& app, const QString& text);

}  // namespace korvo
