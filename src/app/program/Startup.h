#pragma once
// The program's life: loading every panel, giving the shared state its start values, reading
// "MPLEX16.ini", showing the multiplexer window, running the event loop and discarding the
// panels at the end.

#include <functional>

namespace korvo::ui {
class Platform;
}

namespace korvo {

struct ScopeApp;
struct FileLocations;

// Loads the panels and sets everything up, ending with the multiplexer window shown. Returns 0,
// or -1 when a layout file or one of its panels cannot be loaded; then nothing is shown.
int StartScopeApp(ScopeApp& app);

// Discards all panels in the order Para1, Para2, Calib, Recorder, connect pop-up, main panel,
// multiplexer panel.
void DiscardScopePanels(ScopeApp& app);

// The whole run on a platform: start-up, the event loop until the multiplexer window is closed,
// the panels discarded. Returns 0, or -1 when start-up fails. afterStart runs once the
// multiplexer window is shown, before the loop. The files live where `where` says.
int RunScopeProgram(ui::Platform& platform, const FileLocations& where,
                    const std::function<void(ScopeApp&)>& afterStart = {});

}  // namespace korvo
