#include "app/help/HelpBox.h"

#include <algorithm>

#include "app/shell/CallbackRegistry.h"
#include "app/shell/ControlIds.h"
#include "app/shell/ScopeApp.h"
#include "ui/Events.h"
#include "ui/Platform.h"

namespace korvo {
namespace {

using namespace ids;

bool isClick(int event) {
    return event == ui::EVENT_LEFT_CLICK || event == ui::EVENT_RIGHT_CLICK;
}

// Moves, raises and toggles one box. The box is raised because the child panels are stacked
// above the main panel's own controls, and a help text often lands over one of them. A box that
// would stick out of its panel (the commands at the right edge) is moved back inside, so that
// its text is never cut off.
void toggleBox(ui::Platform& ui, int panel, int box, int left, int top, const QString& text) {
    const QRect area = ui.panelGeometry(panel);
    const QRect size = ui.boundingRect(panel, box);
    left = std::max(0, std::min(left, area.width() - size.width()));
    top = std::max(0, std::min(top, area.height() - size.height()));
    ui.setCtrlPos(panel, box, left, top);
    ui.bringToFront(panel, box);
    ui.setVisible(panel, box, !ui.visible(panel, box));
    ui.resetTextBox(panel, box, text);
}

}  // namespace

QRect ctrlRectInMain(ScopeApp& app, int panel, int control) {
    QRect r = app.ui.boundingRect(panel, control);
    if (panel != app.panels.main) {
        const QRect p = app.ui.panelGeometry(panel);
        r.translate(p.left(), p.top());
    }
    return r;
}

void ToggleHelpBox(ScopeApp& app, HelpBox box, int left, int top, const QString& text) {
    const int ctrl = box == HelpBox::Large ? MAIN_HELPLARGE : MAIN_HELP;
    toggleBox(app.ui, app.panels.main, ctrl, left, top, text);
}

void HideHelpBoxes(ScopeApp& app) {
    app.ui.setVisible(app.panels.main, MAIN_HELP, false);
    app.ui.setVisible(app.panels.main, MAIN_HELPLARGE, false);
}

void ToggleConnectHelpBox(ScopeApp& app, int left, int top, const QString& text) {
    toggleBox(app.ui, app.panels.connect, CON_HELP, left, top, text);
}

void HideConnectHelpBox(ScopeApp& app) {
    app.ui.setVisible(app.panels.connect, CON_HELP, false);
}

int CC_HelpText1(ScopeApp& app, int, int, int event, void*, int, int) {
    if (isClick(event)) HideHelpBoxes(app);
    return 0;
}

int CC_HelpText2(ScopeApp& app, int panel, int control, int event, void* callbackData,
                 int eventData1, int eventData2) {
    return CC_HelpText1(app, panel, control, event, callbackData, eventData1, eventData2);
}

int CC_HelpText3(ScopeApp& app, int, int, int event, void*, int, int) {
    if (isClick(event)) HideConnectHelpBox(app);
    return 0;
}

void registerHelpBoxCallbacks(ScopeApp& app) {
    bindCallback(app, QStringLiteral("CC_HelpText1"), CC_HelpText1);
    bindCallback(app, QStringLiteral("CC_HelpText2"), CC_HelpText2);
    bindCallback(app, QStringLiteral("CC_HelpText3"), CC_HelpText3);
}

}  // namespace korvo
