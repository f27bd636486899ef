#include "app/program/Startup.h"

#include "app/mplex/MplexPanel.h"
#include "app/mplex/MplexSettingsFile.h"
#include "app/program/AppSettingsRestore.h"
#include "app/program/Wiring.h"
#include "app/shell/ControlIds.h"
#include "app/shell/ControlStates.h"
#include "app/shell/ScopeApp.h"
#include "app/shell/ScopeDefaults.h"
#include "ui/Platform.h"

namespace korvo {
namespace {

using namespace ids;

bool loadMplexPanels(ScopeApp& app) {
    ui::Platform& ui = app.ui;
    Panels& pn = app.panels;
    const QString file = QString::fromLatin1(kMplexLayoutFile);
    pn.mpc = ui.loadPanel(0, file, RES_MPC);
    if (pn.mpc < 0) return false;
    for (int g = 0; g < kMplexGroups; ++g) {
        pn.tabPages[g] = ui.tabPagePanel(pn.mpc, MPC_TAB, g);
        if (pn.tabPages[g] < 0) return false;
    }
    for (int g = 0; g < kMplexGroups; ++g) {
        pn.groupPanels[g] = ui.loadPanel(pn.tabPages[g], file, RES_PORT);
        if (pn.groupPanels[g] < 0) return false;
        for (int p = 0; p < kMplexPortsPerGroup; ++p) {
            const int port = ui.loadPanel(pn.tabPages[g], file, RES_PORT);
            if (port < 0) return false;
            pn.portPanels[g][p] = port;
            ui.setInt(port, PORT_GROUP, g);
            ui.setInt(port, PORT_NUMBER, p);
            NameMplexPortControls(app, g, p);
        }
    }
    return true;
}

bool loadScopePanels(ScopeApp& app) {
    ui::Platform& ui = app.ui;
    Panels& pn = app.panels;
    const QString file = QString::fromLatin1(kScopeLayoutFile);
    pn.main = ui.loadPanel(0, file, RES_MAIN);
    if (pn.main < 0) return false;
    const struct {
        int* handle;
        int resource;
    } children[] = {{&pn.para1, RES_PARA1},
                    {&pn.para2, RES_PARA2},
                    {&pn.recorder, RES_RECORDER},
                    {&pn.calib, RES_CALIB},
                    {&pn.connect, RES_CONNECT}};
    for (const auto& c : children) {
        *c.handle = ui.loadPanel(pn.main, file, c.resource);
        if (*c.handle < 0) return false;
    }
    return true;
}

void placeScopePanels(ScopeApp& app) {
    ui::Platform& ui = app.ui;
    const Panels& pn = app.panels;
    ui.centrePanel(pn.main);
    const QRect centred = ui.panelGeometry(pn.main);
    ui.setPanelPos(pn.main, centred.top() + 100, centred.left() + 100);
    for (int child : {pn.para1, pn.para2, pn.recorder, pn.calib}) ui.setPanelPos(child, 105, 8);
    ui.setPanelPos(pn.connect, 316, 337);
}

}  // namespace

int StartScopeApp(ScopeApp& app) {
    ui::Platform& ui = app.ui;
    Panels& pn = app.panels;

    wireProgram(app);
    if (!loadMplexPanels(app)) return -1;
    InitDefaultMplexSettings(app);
    for (int g = 0; g < kMplexGroups; ++g) {
        for (int p = 0; p < kMplexPortsPerGroup; ++p) {
            SetMplexPortValues(app, g, p);
            ui.displayPanel(pn.portPanels[g][p]);
        }
    }
    const QString settings = app.mplexSettingsPath();
    ReadIniFile(app, settings);
    ui.resetTextBox(pn.mpc, MPC_INIFILE, settings);

    if (!loadScopePanels(app)) return -1;
    placeScopePanels(app);

    InitDefaultScopeSettings(app);
    RestoreAppSettings(app);
    RefreshControlStates(app);
    ui.setPanelTitle(pn.main, app.state.scopeWindowTitle());

    ui.displayPanel(pn.mpc);
    ui.setActivePanel(pn.mpc);
    ui.setActiveTabPage(pn.mpc, MPC_TAB, 0);
    ui.setActiveCtrl(pn.mpc, MPC_INIT);
    return 0;
}

void DiscardScopePanels(ScopeApp& app) {
    const Panels& pn = app.panels;
    for (int panel : {pn.para1, pn.para2, pn.calib, pn.recorder, pn.connect, pn.main, pn.mpc})
        if (panel > 0) app.ui.discardPanel(panel);
}

int RunScopeProgram(ui::Platform& platform, const FileLocations& where,
                    const std::function<void(ScopeApp&)>& afterStart) {
    ScopeApp app(platform, where);
    if (StartScopeApp(app) < 0) return -1;
    if (afterStart) afterStart(app);
    platform.runUserInterface();
    DiscardScopePanels(app);
    return 0;
}

}  // namespace korvo
