#pragma once
// The running program: the platform it draws on, the program-wide state, the panel handles and
// the objects that reach the sensors. One instance lives from start-up to the end; every
// callback receives it. A test builds its own on a platform of its own.

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

// Operations that the start-up code calls but that belong to the sensor functions; those fill
// them in when they are registered. An empty hook is skipped.
struct SensorHooks {
    // Reads the stored threshold curve from the sensor into the threshold array and redraws the
    // video graph; called by RefreshControlStates when the video threshold mode is not 0.
    std::function<void()> getEEThreshold;
};

struct ScopeApp {
    // Registers every callback the layouts name, so that panels can be loaded afterwards. The
    // files live where `where` says; without it, all of them in the platform's folder.
    explicit ScopeApp(ui::Platform& platform);
    ScopeApp(ui::Platform& platform, const FileLocations& where);
    ScopeApp(const ScopeApp&) = delete;
    ScopeApp& operator=(const ScopeApp&) = delete;

    ui::Platform& ui;
    AppState state;
    Panels panels;
    GuiStatusSink status;
    QtPump pump;        // waits let the event loop run
    PortBank ports;     // one serial port per COM number
    PortSensor sensor;  // the scope window's sensor (the multiplexer works its ports through it)
    SensorHooks hooks;

    // Absolute path of "MPLEX16.ini" in the settings folder.
    QString mplexSettingsPath() const;
};

// The COM port the scope window works on.
inline int portInUse(const ScopeApp& app) {
    return app.sensor.link.portNumber;
}

}  // namespace korvo
