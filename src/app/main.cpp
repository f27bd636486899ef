// KORVO-KM-Scope: sets up and watches KORVO-KM laser line sensors over RS-232, up to 112 of them
// on the multiplexer window. Run from a build or a copied folder, that folder holds the layout
// files, the logo bitmaps and the settings files; installed, they sit in share/korvo-km-scope and
// the settings in ~/.config/korvo-km-scope.

#include <QApplication>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <memory>

#include "app/program/Startup.h"
#include "app/program/WindowCallbacks.h"
#include "app/shell/ScopeApp.h"
#include "core/files/FileLocations.h"
#include "core/process/StopSignals.h"
#include "ui/Platform.h"
#include "ui/Popups.h"

namespace {

// Benchmark hook, not an operator option: with KORVO_EXIT_AFTER_SHOW=1 the program prints one
// line as soon as the multiplexer window has been shown and painted, then leaves the event loop
// without writing any file. bench_startup uses it to time the start-up.
bool exitAfterShow() {
    return qEnvironmentVariableIntValue("KORVO_EXIT_AFTER_SHOW") == 1;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    // Layouts and bitmaps from the program's folder or the installed share folder; settings in
    // the program's folder or the configuration home (FileLocations.h).
    const korvo::FileLocations where = korvo::currentFileLocations();
    // A settings folder that cannot be made shows later, when a file written there fails.
    korvo::makeSettingsDir(where);
    korvo::ui::Platform platform(where.dataDir);
    platform.setPopups(std::make_unique<korvo::ui::DialogPopups>());

    // A logout's SIGTERM, a closed terminal's SIGHUP and Ctrl-C in it end the program as closing
    // the multiplexer window does, with "MPLEX16.ini" written.
    korvo::StopSignals::install({SIGINT, SIGTERM, SIGHUP});
    const bool benchmark = exitAfterShow();
    const auto afterStart = [&platform, benchmark](korvo::ScopeApp& app) {
        korvo::CloseOnStopSignal(app);
        if (!benchmark) return;
        // Queued behind the show and paint events of the window.
        QTimer::singleShot(0, QCoreApplication::instance(), [&platform] {
            std::fputs("shown\n", stdout);
            std::fflush(stdout);
            platform.quitUserInterface(0);
        });
    };
    const int result = korvo::RunScopeProgram(platform, where, afterStart);
    korvo::StopSignals::onSignal({});
    return result;
}
