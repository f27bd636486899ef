#include "app/mplex/MplexSettingsFile.h"

#include "app/mplex/MplexPanel.h"
#include "app/shell/ControlIds.h"
#include "app/shell/ScopeApp.h"
#include "core/ini/PanelGeometry.h"
#include "core/mplex/MplexIni.h"
#include "ui/Events.h"
#include "ui/Platform.h"

namespace korvo {
namespace {

using namespace ids;
using ui::FileChoice;

const QString kDialogTitle = QStringLiteral("MPLEX Initialisation File");
const QString kOverwriteTitle = QStringLiteral("ATTENTION!");
const QString kOverwriteText =
    QStringLiteral("MPLEX Initialisation File already exists - overwrite ?");
const QString kNotWritten = QStringLiteral("MPLEX Initialisation File not written!");
const QString kNotRead = QStringLiteral("MPLEX Initialisation File not read!");

void applyGeometry(ScopeApp& app, const PanelGeometryPlan& plan) {
    const int mpc = app.panels.mpc;
    if (plan.maximise) {
        app.ui.maximizePanel(mpc);
        return;
    }
    if (plan.size) app.ui.setPanelSize(mpc, plan.size->height(), plan.size->width());
    // As for the scope window: only a position that keeps the panel on a screen.
    if (plan.position && panelPositionOnScreens(*plan.position, app.ui.panelGeometry(mpc).size(),
                                                app.ui.screenAreas()))
        app.ui.setPanelPos(mpc, plan.position->y(), plan.position->x());
}

ui::FileChoice settingsFileDialog(ScopeApp& app) {
    return app.ui.popups().fileSelect(app.state.files.settingsDir,
                                      QString::fromLatin1(kMplexIniFileName),
                                      QString::fromLatin1(kMplexIniFilter), kDialogTitle);
}

// The status line explains a failed file operation; the operating system's reason goes into its
// tool tip.
void showFileProblem(ScopeApp& app, const QString& text, const QString& detail) {
    app.ui.setText(app.panels.mpc, MPC_STATUS, text);
    app.ui.setToolTip(app.panels.mpc, MPC_STATUS, detail);
}

void showSettingsPath(ScopeApp& app, const QString& path) {
    app.ui.resetTextBox(app.panels.mpc, MPC_INIFILE, path);
    app.ui.setToolTip(app.panels.mpc, MPC_STATUS, QString());
}

}  // namespace

bool ReadIniFile(ScopeApp& app, const QString& path) {
    const MplexIniRead read = readMplexIniFile(path);
    if (!read.fileRead) return false;

    applyGeometry(app, read.geometryPlan());
    MplexTable& table = app.state.mplex;
    applyMplexIni(read, table);

    const int mpc = app.panels.mpc;
    if (read.teachValue) app.ui.setInt(mpc, MPC_TEACHVAL, table.teachValue);
    if (read.tolHigh) app.ui.setInt(mpc, MPC_TOLHIGH, table.upperTolerance);
    if (read.tolLow) app.ui.setInt(mpc, MPC_TOLLOW, table.lowerTolerance);

    for (int g = 0; g < kMplexGroups; ++g) {
        for (int p = 0; p < kMplexPortsPerGroup; ++p) SetMplexPortValues(app, g, p);
        SetMplexTabState(app, g);
        DimmMplex(app, g, table.groups[g].state == 0 ? 1 : 0);
    }
    return true;
}

FileWriteResult WriteIniFile(ScopeApp& app, const QString& path) {
    MplexTable& table = app.state.mplex;
    const int mpc = app.panels.mpc;
    const QRect geometry = app.ui.panelGeometry(mpc);
    const bool maximised = app.ui.panelMaximized(mpc);
    GetMplexGeneralValues(app);

    // Group states and ports as the panels show them now.
    for (int g = 0; g < kMplexGroups; ++g) {
        GetMplexTabState(app, g);
        for (int p = 0; p < kMplexPortsPerGroup; ++p) GetMplexPortValues(app, g, p);
    }

    MplexIniContent content = mplexIniContentFromTable(table);
    content.panelMax = maximised ? 1 : 0;
    content.panelX = geometry.left();
    content.panelY = geometry.top();
    content.panelWidth = geometry.width();
    content.panelHeight = geometry.height();
    return writeMplexIniFile(content, path);
}

int CC_PICBTNsave(ScopeApp& app, int panel, int control, int event, void* callbackData,
                  int eventData1, int eventData2) {
    if (event != ui::EVENT_COMMIT) return 0;
    const FileChoice choice = settingsFileDialog(app);
    if (choice.status == FileChoice::Cancelled) return 0;
    if (choice.status == FileChoice::Existing &&
        !app.ui.popups().confirm(kOverwriteTitle, kOverwriteText))
        return 0;
    const FileWriteResult result = WriteIniFile(app, choice.path);
    if (result.ok)
        showSettingsPath(app, choice.path);
    else
        showFileProblem(app, kNotWritten, result.message);
    return 0;
}

int CC_PICBTNloadfile(ScopeApp& app, int panel, int control, int event, void* callbackData,
                      int eventData1, int eventData2) {
    if (event != ui::EVENT_COMMIT) return 0;
    const FileChoice choice = settingsFileDialog(app);
    if (choice.status == FileChoice::Cancelled) return 0;
    if (ReadIniFile(app, choice.path))
        showSettingsPath(app, choice.path);
    else
        showFileProblem(app, kNotRead, choice.path);
    return 0;
}

}  // namespace korvo
