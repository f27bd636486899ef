#include "app/shell/ScopeDefaults.h"

#include <QDate>
#include <QDir>

#include "app/shell/Colors.h"
#include "app/shell/ControlIds.h"
#include "app/shell/Logo.h"
#include "app/shell/ScopeApp.h"
#include "core/link/SensorLink.h"
#include "ui/Graph.h"
#include "ui/Platform.h"

namespace korvo {
namespace {

void resetSharedValues(AppState& s, SensorData& d) {
    resetToDefaults(d.params);
    d.link.startWord = 0x0055;
    d.link.commandCode = 1;
    d.link.argumentWord = 0;
    s.memoryTarget = kMemoryRam;
    d.link.stopFlag = kStopByUser;
    d.link.replyKind = kReplyNone;
    d.link.receiveFlag = 0;
    s.teachInProgress = 0;
    s.serviceState = 0;
    d.link.portNumber = 1;
    d.link.baudIndex = 1;
    s.savedPortNumber = 1;
    s.savedBaudIndex = 1;
    // Pixel range, pixel count, variant code, full scale, hardware type and the video x table.
    d.model.resetToStartup();
}

}  // namespace

void DrawProfileStartMarks(ScopeApp& app) {
    ui::GraphWidget* g = app.ui.graph(app.panels.main, ids::MAIN_PROFILE);
    if (!g) return;
    const ParamSet& p = app.sensor.params;
    g->deleteAllPlots();
    g->setCursor(1, p.teachValue, 1.0);
    g->setCursor(2, p.evalBegin, 1.0);
    g->setCursor(3, p.evalEnd, 1.0);
    const double left = static_cast<int>(p.teachValue) - static_cast<int>(p.lowerTolerance);
    const double right = static_cast<int>(p.teachValue) + static_cast<int>(p.upperTolerance);
    g->plotRectangle(left, 0.0, right, 0.25, kGreen, kGreen);
}

void InitDefaultScopeSettings(ScopeApp& app) {
    AppState& s = app.state;
    resetSharedValues(s, app.sensor);

    s.versionText = QString::fromLatin1(kVersionText);
    s.buildText = QString::fromLatin1(kBuildText);
    s.titleText = QString::fromLatin1(kTitleText);

    ShowLogo(app, 2);

    // The recorder file starts where the file dialogs do: beside the program or in the home.
    s.recorderPath =
        QDir::cleanPath(QDir(s.files.dialogDir).filePath(QLatin1String(kRecorderFile)));
    app.ui.setText(app.panels.recorder, ids::REC_FILENAME, s.recorderPath);
    app.ui.setText(app.panels.recorder, ids::REC_DATE,
                   QDate::currentDate().toString(QStringLiteral("MM-dd-yyyy")));

    DrawProfileStartMarks(app);

    // resetToStartup has filled the video x table (4 x i).
    fillThresholdLine(app.sensor.video, app.sensor.model.videoFullScale,
                      app.sensor.params.videoThdFix);
    app.sensor.video.thresholdArray = app.sensor.video.thresholdLine;

    s.linTable.fill(0);
}

}  // namespace korvo
