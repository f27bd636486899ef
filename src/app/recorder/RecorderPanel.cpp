#include "app/recorder/RecorderPanel.h"

#include <QDate>
#include <QFileInfo>
#include <QTime>

#include "app/measure/MeasureDisplay.h"
#include "app/shell/CallbackRegistry.h"
#include "app/shell/ControlIds.h"
#include "app/shell/ControlStates.h"
#include "app/shell/ScopeApp.h"
#include "core/record/RecorderTime.h"
#include "core/record/RecordingSession.h"
#include "ui/Events.h"
#include "ui/Platform.h"

namespace korvo {

using namespace ids;

namespace {

constexpr QRgb kDarkGreen = 0x008000;
constexpr QRgb kLightGrey = 0xE0E0E0;
constexpr QRgb kRed = 0xFF0000;
constexpr QRgb kBlue = 0x0000FF;
constexpr QRgb kWhite = 0xFFFFFF;

void statusBox(ScopeApp& app, QRgb background, QRgb text, bool bold) {
    app.ui.setBackgroundColor(app.panels.recorder, REC_STATUS, background);
    app.ui.setTextColor(app.panels.recorder, REC_STATUS, text);
    app.ui.setBold(app.panels.recorder, REC_STATUS, bold);
}

void statusText(ScopeApp& app, const QString& text) {
    app.ui.resetTextBox(app.panels.recorder, REC_STATUS, text);
}

// RUN, VIDEO, Teach and START are not usable while a recording runs.
void dimDuringRecording(ScopeApp& app, bool dim) {
    app.ui.setDimmed(app.panels.main, MAIN_RUN, dim);
    app.ui.setDimmed(app.panels.main, MAIN_VIDEO, dim);
    app.ui.setDimmed(app.panels.para2, P2_TEACH, dim);
    app.ui.setDimmed(app.panels.recorder, REC_START, dim);
}

void showExpectedDuration(ScopeApp& app, bool afterStepEdit) {
    const auto samples =
        static_cast<std::uint16_t>(app.ui.getInt(app.panels.recorder, REC_SAMPLES));
    const double step = app.ui.getDouble(app.panels.recorder, REC_INCTIME);
    const auto seconds = afterStepEdit ? expectedDurationAfterStepEdit(samples, step)
                                       : expectedDurationAfterSamplesEdit(samples, step);
    if (seconds) ShowRecorderTime(app, *seconds);
}

RecorderHeader headerFor(ScopeApp& app, int mode) {
    RecorderHeader h;
    h.date = recorderDateText(QDate::currentDate());
    h.time = recorderTimeText(QTime::currentTime());
    h.mode = static_cast<std::uint16_t>(mode);
    h.increment = app.ui.getDouble(app.panels.recorder, REC_INCTIME);
    h.samples = static_cast<std::uint16_t>(app.ui.getInt(app.panels.recorder, REC_SAMPLES));
    h.umOffset = app.sensor.params.umOffset;
    h.umSlope = app.sensor.params.umSlope;
    return h;
}

void startDisplays(ScopeApp& app, const RecorderHeader& h) {
    ui::Platform& ui = app.ui;
    const int rec = app.panels.recorder;
    for (int c : {REC_DATE, REC_TIME, REC_COUNTER, REC_DAYS, REC_HOURS, REC_MINUTES, REC_SECONDS})
        ui.setDimmed(rec, c, false);
    ui.setText(rec, REC_DATE, h.date);
    ui.setText(rec, REC_TIME, h.time);
    ui.setInt(rec, REC_COUNTER, 0);
}

void showOutcome(ScopeApp& app, RecordEnd end, const QString& fileError) {
    switch (end) {
        case RecordEnd::Completed:
            statusBox(app, kLightGrey, kBlue, false);
            statusText(app, QStringLiteral("DATA-RECORDER COMPLETED!"));
            ShowMainStatus(app, QStringLiteral("Data-Recorder completed successfully!"));
            break;
        case RecordEnd::TimedOut:
            app.ui.setBackgroundColor(app.panels.recorder, REC_STATUS, kRed);
            statusText(app, QStringLiteral("DATA-REC. ERROR - TIMEOUT!"));
            ShowMainStatus(app, QStringLiteral("Data-Recorder error - rs232 timeout!"));
            break;
        case RecordEnd::Stopped:
            app.ui.setBackgroundColor(app.panels.recorder, REC_STATUS, kRed);
            statusText(app, QStringLiteral("DATA-RECORDER STOPPED!"));
            ShowMainStatus(app, QStringLiteral("Data-Recorder stopped!"));
            break;
        case RecordEnd::LineLost:
            app.ui.setBackgroundColor(app.panels.recorder, REC_STATUS, kRed);
            statusText(app, QStringLiteral("DATA-REC. ERROR - LINE LOST!"));
            ShowMainStatus(app, QStringLiteral("Data-Recorder error - rs232 line lost!"));
            app.ui.setToolTip(app.panels.main, MAIN_STATUS,
                              app.ports.errorDetail(app.sensor.link.portNumber));
            break;
        case RecordEnd::FileFailed:
            app.ui.setBackgroundColor(app.panels.recorder, REC_STATUS, kRed);
            statusText(app, QStringLiteral("DATA-REC. ERROR - FILE NOT WRITTEN!"));
            ShowMainStatus(app,
                           QStringLiteral("Data-Recorder error - file not written: ") + fileError);
            app.ui.setToolTip(app.panels.main, MAIN_STATUS,
                              app.state.recorderPath + QStringLiteral(": ") + fileError);
            break;
    }
}

int CC_PICBTNrecfile(ScopeApp& app, int, int, int event, void*, int, int) {
    if (event != ui::EVENT_COMMIT) return 0;
    const ui::FileChoice choice = app.ui.popups().fileSelect(
        app.state.files.dialogDir, QString::fromLatin1(kRecorderFile), QStringLiteral("*.dat"),
        QStringLiteral("KORVO-Series Recorder-File:"));
    // A cancelled dialog keeps the path as it was.
    if (choice.status == ui::FileChoice::Cancelled || choice.path.isEmpty()) return 0;
    app.state.recorderPath = choice.path;
    if (QFileInfo::exists(choice.path)) {
        if (!app.ui.popups().confirm(QStringLiteral("ATTENTION!"),
                                     QStringLiteral("Output-File already exist! - Overwrite ?")))
            return 0;  // START asks again
        // A file that a recording writes to is not taken away from it.
        const FileResult deleted = deleteRecorderFile(choice.path);
        if (!deleted.ok) {
            showOutcome(app, RecordEnd::FileFailed, deleted.error);
            return 0;
        }
    }
    app.ui.setText(app.panels.recorder, REC_FILENAME, choice.path);
    return 0;
}

int CC_CBTNStartRecord(ScopeApp& app, int, int, int event, void*, int, int) {
    if (event != ui::EVENT_COMMIT) return 0;
    AppState& s = app.state;
    if (QFileInfo::exists(s.recorderPath) &&
        !app.ui.popups().confirm(QStringLiteral("ATTENTION !"),
                                 QStringLiteral("File already exist - overwrite ?")))
        return 0;
    // The session empties the file once it holds it: a file that another recording writes to,
    // or that cannot be written, stops START before anything starts, and stays as it is.
    RecordingSession session(app.sensor);
    const FileResult opened = session.openFile(s.recorderPath);
    if (!opened.ok) {
        showOutcome(app, RecordEnd::FileFailed, opened.error);
        return 0;
    }
    dimDuringRecording(app, true);
    statusBox(app, kDarkGreen, kWhite, true);
    const int rec = app.panels.recorder;
    RecordingPlan plan;
    plan.port = app.sensor.link.portNumber;
    plan.mode = app.ui.getInt(rec, REC_RS232MODE);
    plan.header = headerFor(app, plan.mode);
    plan.step = plan.mode == 0 ? plan.header.increment : 0.1;
    plan.samples = plan.header.samples;
    plan.path = s.recorderPath;
    startDisplays(app, plan.header);

    RecordingSession::View view;
    view.state = [&app](const QString& text) { statusText(app, text); };
    view.sample = [&app](const RunRecord& run, long count) {
        PlotVIDEOBarGraph(app, run);
        app.ui.setInt(app.panels.recorder, REC_COUNTER, static_cast<int>(count));
        ShowMainStatus(app, QStringLiteral("Data-Recorder active!   Sample:%1").arg(count));
    };
    view.elapsed = [&app](std::int32_t seconds) { ShowRecorderTime(app, seconds); };
    const RecordEnd end = session.run(plan, view);

    dimDuringRecording(app, false);
    showOutcome(app, end, session.fileError());
    return 0;
}

int CC_PICBTNStopRecord(ScopeApp& app, int, int, int event, void*, int, int) {
    if (event == ui::EVENT_LEFT_CLICK) {
        app.sensor.link.stopFlag = kStopByUser;
        app.sensor.WriteDummyFrame(app.sensor.link.portNumber);
    } else if (event == ui::EVENT_COMMIT) {
        app.sensor.link.stopFlag = kStopByUser;
        dimDuringRecording(app, false);
    }
    return 0;
}

int CC_DROPrs232mode(ScopeApp& app, int, int, int event, void*, int, int) {
    if (event == ui::EVENT_VAL_CHANGED) ApplyRecorderModeDims(app);
    return 0;
}

int CC_NUMsample(ScopeApp& app, int, int, int event, void*, int, int) {
    if (event == ui::EVENT_VAL_CHANGED) showExpectedDuration(app, false);
    return 0;
}

int CC_NUMinctime(ScopeApp& app, int panel, int control, int event, void*, int, int) {
    if (event == ui::EVENT_VAL_CHANGED) {
        showExpectedDuration(app, true);
        if (app.ui.getDouble(panel, control) == kRecorderServiceStep) {
            // The service value reveals the X-FLASH and TEST buttons and the slope field; the
            // service state of the calibration text box stays as it is.
            for (int c : {CAL_XFLASH, CAL_TEST}) {
                app.ui.setVisible(app.panels.calib, c, true);
                app.ui.setDimmed(app.panels.calib, c, false);
            }
            app.ui.setDimmed(app.panels.calib, CAL_SLOPE, false);
        }
    }
    return 0;
}

}  // namespace

void ShowRecorderTime(ScopeApp& app, std::int32_t seconds) {
    const RecorderTime t = splitRecorderTime(seconds);
    const int rec = app.panels.recorder;
    app.ui.setInt(rec, REC_DAYS, t.days);
    app.ui.setInt(rec, REC_HOURS, t.hours);
    app.ui.setInt(rec, REC_MINUTES, t.minutes);
    app.ui.setInt(rec, REC_SECONDS, t.seconds);
}

void registerRecorderCallbacks(ScopeApp& app) {
    const struct {
        const char* name;
        AppCallback fn;
    } callbacks[] = {
        {"CC_PICBTNrecfile", CC_PICBTNrecfile},
        {"CC_CBTNStartRecord", CC_CBTNStartRecord},
        {"CC_PICBTNStopRecord", CC_PICBTNStopRecord},
        {"CC_DROPrs232mode", CC_DROPrs232mode},
        {"CC_NUMsample", CC_NUMsample},
        {"CC_NUMinctime", CC_NUMinctime},
    };
    for (const auto& c : callbacks) bindCallback(app, QString::fromLatin1(c.name), c.fn);
}

}  // namespace korvo
