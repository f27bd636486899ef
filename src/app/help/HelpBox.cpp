#include "app/help/HelpBox.h"

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

struct BoxCtrl {
    int panel;
    int ctrl;
};

BoxCtrl boxCtrl(const ScopeApp& app, HelpBox box) {
    switch (box) {
        case HelpBox::Large:
            return {app.panels.main, MAIN_HELPLARGE};
        case HelpBox::Connect:
            return {app.panels.connect, CON_HELP};
        case HelpBox::Normal:
            break;
    }
    return {app.panels.main, MAIN_HELP};
}

// The rectangle that places the box, in the coordinates of the box's panel: a control of a child
// panel (Para1, Para2, Recorder, Calib) is offset by its panel's position in the main panel.
QRect measuredRect(ScopeApp& app, const HelpRow& row, int boxPanel, int panel, int control) {
    if (row.anchor == HelpAnchor::RollGraph) {
        panel = app.panels.main;
        control = MAIN_ROLLGRAPH;
    }
    QRect r = app.ui.boundingRect(panel, control);
    if (panel != boxPanel) r.translate(app.ui.panelGeometry(panel).topLeft());
    return r;
}

int doNothing(ScopeApp&, int, int, int, void*, int, int) {
    return 0;
}

}  // namespace

// The box is raised because the child panels are stacked above the main panel's own controls,
// and a help text often lands over one of them.
void ToggleHelp(ScopeApp& app, const HelpRow& row, int panel, int control) {
    ui::Platform& ui = app.ui;
    const BoxCtrl box = boxCtrl(app, row.box);
    const QRect measured = measuredRect(app, row, box.panel, panel, control);
    const QPoint at =
        helpBoxInside(helpBoxPlace(row, measured), ui.boundingRect(box.panel, box.ctrl).size(),
                      ui.panelGeometry(box.panel).size());
    ui.setCtrlPos(box.panel, box.ctrl, at.x(), at.y());
    ui.bringToFront(box.panel, box.ctrl);
    ui.setVisible(box.panel, box.ctrl, !ui.visible(box.panel, box.ctrl));
    ui.resetTextBox(box.panel, box.ctrl, helpText(row, app.sensor.model.firmwareVersion));
}

void HideHelpBoxes(ScopeApp& app) {
    app.ui.setVisible(app.panels.main, MAIN_HELP, false);
    app.ui.setVisible(app.panels.main, MAIN_HELPLARGE, false);
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
    // bindCallback puts the help in front of the callback.
    for (const HelpRow& row : helpRows())
        bindCallback(app, QString::fromLatin1(row.callback), doNothing);
}

}  // namespace korvo
