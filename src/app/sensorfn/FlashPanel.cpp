// The service function that writes a linearisation table from a file into the sensor's X-FLASH,
// with the progress as a growing bar on the profile graph.

#include "app/sensorfn/SensorFunctions.h"
#include "app/shell/AuditTrail.h"
#include "app/shell/CallbackRegistry.h"
#include "app/shell/ControlIds.h"
#include "app/shell/ScopeApp.h"
#include "core/sensorfn/FlashWrite.h"
#include "core/sensorfn/LinearisationTable.h"
#include "ui/Events.h"
#include "ui/Graph.h"
#include "ui/Platform.h"
#include "ui/Popups.h"

namespace korvo {

using namespace ids;

namespace {

constexpr QRgb kProgressGreen = 0x00FF00;
constexpr QRgb kDoneGrey = 0xA0A0A0;

// Asks for the file and loads the table for the connected model. False when the dialog was
// cancelled or the file could not be read; the table is then unchanged.
bool ReadLinDataFromFile(ScopeApp& app, int tableSize) {
    const ui::FileChoice choice = app.ui.popups().fileSelect(
        app.state.files.dialogDir, QStringLiteral("XF-LINEAR.DAT"), QStringLiteral("*.dat"),
        QStringLiteral("KORVO-GX-Series-Linearisation-File"));
    if (choice.status == ui::FileChoice::Cancelled || choice.path.isEmpty()) return false;
    const LinLoadResult loaded = loadLinearisationFile(choice.path, tableSize, app.state.linTable);
    if (!loaded.ok) {
        ShowMainStatus(app, QStringLiteral("X-FLASH file not read!"));
        app.ui.setToolTip(app.panels.main, MAIN_STATUS,
                          choice.path + QStringLiteral(": ") + loaded.error);
    }
    return loaded.ok;
}

void writeTable(ScopeApp& app, int tableSize) {
    ui::GraphWidget* profile = app.ui.graph(app.panels.main, MAIN_PROFILE);
    const double right = app.sensor.model.pixelCount;
    if (profile) {
        profile->setXAxisManual(1.0, right);
        profile->deleteAllPlots();
    }
    const auto bar = [profile](double to, QRgb colour) {
        if (!profile) return;
        profile->deleteAllPlots();
        profile->plotRectangle(1.0, 0.0, to, 1.0, colour, colour);
    };
    FlashWriter writer(app.sensor);
    const FlashOutcome outcome =
        writer.write(app.sensor.link.portNumber, app.state.linTable, tableSize,
                     [&app, &bar](const FlashProgress& p) {
                         if (p.acknowledged) {
                             const int start = xflashBlockStart(p.block);
                             app.ui.setInt(app.panels.main, MAIN_ANAMAX, start);
                             bar(start, kProgressGreen);
                         }
                         return true;
                     });
    const bool written = outcome.end == FlashEnd::Written;
    if (written) {
        // Done only when every block was acknowledged, for the short table as for the full one.
        bar(app.sensor.model.info.word7, kDoneGrey);
        ShowMainStatus(app, QStringLiteral("X-FLASH Data successfully written!"));
    } else {
        ShowMainStatus(app, flashFailureText(outcome));
    }
    recordWrite(app, app.sensor.link.portNumber, QStringLiteral("x-flash"), {}, written,
                app.sensor.link.statusText);
}

int CC_WriteXFLASH(ScopeApp& app, int, int, int event, void*, int, int) {
    if (event != ui::EVENT_COMMIT) return 0;
    const int tableSize = linTableSize(app.sensor.model.variantCode);
    if (ReadLinDataFromFile(app, tableSize)) writeTable(app, tableSize);
    app.ui.setVisible(app.panels.calib, CAL_XFLASH, false);
    app.ui.setDimmed(app.panels.calib, CAL_SLOPE, true);
    return 0;
}

}  // namespace

void registerFlashCallbacks(ScopeApp& app) {
    bindCallback(app, QStringLiteral("CC_WriteXFLASH"), CC_WriteXFLASH);
}

}  // namespace korvo
