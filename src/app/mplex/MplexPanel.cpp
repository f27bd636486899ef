#include "app/mplex/MplexPanel.h"

#include <QWidget>

#include "app/shell/ControlIds.h"
#include "app/shell/ScopeApp.h"
#include "ui/Events.h"
#include "ui/Platform.h"

namespace korvo {
namespace {

using namespace ids;

int validGroup(int group) {
    return (group >= 0 && group < kMplexGroups) ? group : 0;
}

QString portLabel(int port) {
    return QStringLiteral("P%1").arg(port + 1);
}

void setAccessibleName(ScopeApp& app, int panel, int ctrl, const QString& name) {
    if (QWidget* w = app.ui.ctrl(panel, ctrl)) w->setAccessibleName(name);
}

}  // namespace

void InitDefaultMplexSettings(ScopeApp& app) {
    MplexTable& table = app.state.mplex;
    initDefaultMplexTable(table);
    for (int g = 0; g < kMplexGroups; ++g) {
        for (int p = 0; p < kMplexPortsPerGroup; ++p) {
            const int panel = app.panels.portPanels[g][p];
            table.groups[g].ports[p].panel = panel;
            app.ui.setLabel(panel, PORT_ENABLE, portLabel(p));
            const int row = p % 8;
            const int left = p < 8 ? 1 : 376;
            app.ui.setPanelPos(panel, 40 * (row + 1), left);
        }
    }
}

void NameMplexPortControls(ScopeApp& app, int group, int port) {
    const int panel = app.panels.portPanels[group][port];
    const QString label = portLabel(port);
    const struct {
        int ctrl;
        const char* role;
    } roles[] = {{PORT_ENABLE, "enable"},     {PORT_SCOPE, "scope"},   {PORT_COM, "COM"},
                 {PORT_BAUD, "baud"},         {PORT_STATUS, "status"}, {PORT_GROUP, "group number"},
                 {PORT_NUMBER, "port number"}};
    for (const auto& r : roles)
        setAccessibleName(app, panel, r.ctrl, label + QLatin1Char(' ') + QLatin1String(r.role));
}

void SetMplexPortValues(ScopeApp& app, int group, int port) {
    const MplexPort& rec = app.state.mplex.groups[group].ports[port];
    const int panel = app.panels.portPanels[group][port];
    app.ui.setInt(panel, PORT_ENABLE, rec.enabled);
    app.ui.setInt(panel, PORT_SCOPE, rec.scopeActive);
    app.ui.setInt(panel, PORT_BAUD, rec.baudIndex);
    app.ui.setInt(panel, PORT_COM, rec.comPort);
    app.ui.setText(panel, PORT_STATUS, rec.statusText);
}

int GetMplexPortValues(ScopeApp& app, int group, int port) {
    MplexPort& rec = app.state.mplex.groups[group].ports[port];
    const int panel = app.panels.portPanels[group][port];
    rec.enabled = app.ui.getInt(panel, PORT_ENABLE);
    rec.scopeActive = app.ui.getInt(panel, PORT_SCOPE);
    rec.baudIndex = static_cast<std::uint16_t>(app.ui.getInt(panel, PORT_BAUD));
    rec.comPort = static_cast<std::uint16_t>(app.ui.getInt(panel, PORT_COM));
    rec.statusText = app.ui.getText(panel, PORT_STATUS).left(kPortStatusTextMax);
    app.state.mplex.currentPort = rec;
    return panel;
}

void GetMplexGeneralValues(ScopeApp& app) {
    MplexTable& table = app.state.mplex;
    const int mpc = app.panels.mpc;
    table.teachValue = static_cast<std::uint16_t>(app.ui.getInt(mpc, MPC_TEACHVAL));
    table.upperTolerance = static_cast<std::uint16_t>(app.ui.getInt(mpc, MPC_TOLHIGH));
    table.lowerTolerance = static_cast<std::uint16_t>(app.ui.getInt(mpc, MPC_TOLLOW));
}

void SetMplexTabState(ScopeApp& app, int group) {
    group = validGroup(group);
    app.ui.setInt(app.panels.tabPages[group], TAB_ENABLE, app.state.mplex.groups[group].state);
}

int GetMplexTabState(ScopeApp& app, int group) {
    group = validGroup(group);
    const int state = app.ui.getInt(app.panels.tabPages[group], TAB_ENABLE);
    app.state.mplex.groups[group].state = state;
    return state;
}

void DimmPort(ScopeApp& app, int group, int port, int dim) {
    const int panel = app.panels.portPanels[group][port];
    for (int c : {PORT_SCOPE, PORT_BAUD, PORT_COM, PORT_STATUS})
        app.ui.setDimmed(panel, c, dim != 0);
}

void DimmMplex(ScopeApp& app, int group, int dim) {
    const int page = app.panels.tabPages[group];
    app.ui.setDimmed(page, TAB_EXTRA1, dim != 0);
    app.ui.setDimmed(page, TAB_EXTRA2, dim != 0);
    for (int p = 0; p < kMplexPortsPerGroup; ++p) {
        app.ui.setDimmed(app.panels.portPanels[group][p], PORT_ENABLE, dim != 0);
        const bool portOff = app.state.mplex.groups[group].ports[p].enabled == 0;
        DimmPort(app, group, p, (dim != 0 || portOff) ? 1 : 0);
    }
}

int CC_BINSWenable(ScopeApp& app, int panel, int control, int event, void* callbackData,
                   int eventData1, int eventData2) {
    if (event != ui::EVENT_VAL_CHANGED) return 0;
    const int group = validGroup(app.ui.activeTabPage(app.panels.mpc, MPC_TAB));
    const int state = GetMplexTabState(app, group);
    DimmMplex(app, group, state == 0 ? 1 : 0);
    return 0;
}

}  // namespace korvo
