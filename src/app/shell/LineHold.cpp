#include "app/shell/LineHold.h"

#include "app/shell/ScopeApp.h"
#include "core/monitor/LineMonitor.h"

namespace korvo {

LinePause::LinePause(ScopeApp& app, int com) : app_(app) {
    if (app.line == nullptr || !app.line->holds(com)) return;
    app.line->release(com);
    com_ = com;
}

LinePause::~LinePause() {
    // The monitor may have ended meanwhile (its window closed during the exchange).
    if (com_ != 0 && app_.line != nullptr) app_.line->resume(com_);
}

void lineScopeTakes(ScopeApp& app, int com) {
    if (app.lineScopeCom == com) return;
    lineScopeGives(app);
    // Noted with or without a monitor: one opened later leaves the port to the scope window.
    app.lineScopeCom = com;
    if (app.line != nullptr && app.line->holds(com)) app.line->release(com);
}

void lineScopeGives(ScopeApp& app) {
    if (app.lineScopeCom != 0 && app.line != nullptr) app.line->resume(app.lineScopeCom);
    app.lineScopeCom = 0;
}

}  // namespace korvo
