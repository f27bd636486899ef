// korvo run, korvo video and korvo record: measurements as the window's scope window takes them.
// Video fetches one sensor's profile on the main thread. Run and record work each port on a
// worker thread of its own (runOnPorts) and hand their rows to the main thread to print; Ctrl-C
// stops every one of them as the window's stop buttons do.

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QTime>
#include <atomic>
#include <cmath>
#include <memory>

#include "cli/Commands.h"
#include "cli/Interrupt.h"
#include "cli/OutputFile.h"
#include "core/measure/MeasureLoops.h"
#include "core/record/RecordingSession.h"

namespace korvo::cli {

namespace {

// Video cycles in a row without a whole profile after which `video` gives up.
constexpr int kVideoFailedCycleLimit = 3;

// A single port's outcome: the JSON line, or for people one line on standard error (standard
// output carries the measurements).
int reportSingle(Output& out, const PortResult& r, bool quietWhenOk) {
    if (out.json()) {
        out.jsonLine(r.json);
    } else if (!(quietWhenOk && r.exit == kExitOk)) {
        QString text = QStringLiteral("COM%1 (%2): %3").arg(r.port).arg(r.device, r.outcome);
        if (!r.detail.isEmpty()) text += QStringLiteral(": ") + r.detail;
        out.message(text);
    }
    return r.exit;
}

// Opens the port and connects as the window does (parameters read from RAM).
bool startOn(PortSession& s, int port, const Options& o, PortResult& r,
             IdentifyReport* report = nullptr) {
    return openPort(s, port, o.baudIndex, r) && connectSensor(s, port, true, r, report);
}

// The ports PORTS names; false after the message when it names none.
bool portsFor(const Options& o, Output& out, std::vector<int>& ports) {
    QString error;
    if (resolvePorts(o, ports, error)) return true;
    out.error(error);
    return false;
}

// Why a measurement ended without an answer: a lost line says so, with its reason.
QString silenceText(PortSession& s, int port) {
    if (s.bank.isBroken(port)) return QStringLiteral("line lost: ") + s.bank.errorDetail(port);
    return s.sensor.link.statusText;
}

QJsonObject recordJson(int port, double t, const RunRecord& rec) {
    QJsonObject j;
    j[QStringLiteral("type")] = QStringLiteral("record");
    j[QStringLiteral("port")] = port;
    j[QStringLiteral("t")] = std::round(t * 1e6) / 1e6;
    j[QStringLiteral("value")] = rec.measuredValue;
    j[QStringLiteral("left")] = rec.leftEdge;
    j[QStringLiteral("right")] = rec.rightEdge;
    j[QStringLiteral("edges")] = rec.edgeCount;
    j[QStringLiteral("um")] = static_cast<qint64>(rec.measuredUm);
    return j;
}

}  // namespace

int cmdRun(const Options& o, Output& out) {
    std::vector<int> ports;
    if (!portsFor(o, out, ports)) return kExitUsage;
    // With several ports each line starts with its port.
    const bool several = ports.size() > 1;
    std::vector<Column> columns = {
        {QStringLiteral("T[s]"), 9},  {QStringLiteral("VALUE"), 5}, {QStringLiteral("LEFT"), 5},
        {QStringLiteral("RIGHT"), 5}, {QStringLiteral("EDGES"), 5}, {QStringLiteral("UM"), 8},
        {QStringLiteral("TEACH"), 5}, {QStringLiteral("TOL"), 5},   {QStringLiteral("MAX"), 5},
        {QStringLiteral("MIN"), 5},   {QStringLiteral("OUT"), 3},   {QStringLiteral("DARK"), 0}};
    if (several) columns.insert(columns.begin(), {QStringLiteral("PORT"), 6});
    out.setColumns(columns);
    // Lost output ends every run: what they measure goes nowhere else.
    auto outputLost = std::make_shared<std::atomic<bool>>(false);
    const auto job = [&](PortSession& s, int port) {
        PortResult r = newResult(s, port, QStringLiteral("run"));
        if (!startOn(s, port, o, r)) return r;
        MeasureLoops loops(s.sensor);
        long count = 0;
        const double start = s.pump.now();
        const int flag =
            Interrupt::requested() ? kStopByUser : loops.run(port, [&](const RunRecord& rec) {
                const double t = s.pump.now() - start;
                QJsonObject j = recordJson(port, t, rec);
                j[QStringLiteral("teach")] = rec.teachValue;
                j[QStringLiteral("tolerance")] = rec.hardwareTolerance;
                j[QStringLiteral("max")] = rec.maximumValue;
                j[QStringLiteral("min")] = rec.minimumValue;
                j[QStringLiteral("outputs")] = rec.outputState;
                j[QStringLiteral("dark")] = rec.darkPixelCount;
                QStringList cells = {
                    QString::number(t, 'f', 3),        QString::number(rec.measuredValue),
                    QString::number(rec.leftEdge),     QString::number(rec.rightEdge),
                    QString::number(rec.edgeCount),    QString::number(rec.measuredUm),
                    QString::number(rec.teachValue),   QString::number(rec.hardwareTolerance),
                    QString::number(rec.maximumValue), QString::number(rec.minimumValue),
                    QString::number(rec.outputState),  QString::number(rec.darkPixelCount)};
                if (several) cells.prepend(QStringLiteral("COM%1").arg(port));
                s.post([&out, outputLost, cells = std::move(cells), j = std::move(j)] {
                    out.row(cells, j);
                    if (out.lost()) *outputLost = true;
                });
                if (*outputLost || (o.samples > 0 && ++count >= o.samples))
                    s.sensor.link.stopFlag = kStopByUser;
            });
        r.json[QStringLiteral("records")] = static_cast<qint64>(loops.samples());
        if (flag == kStopRunTimeout) {
            finish(r, QStringLiteral("timeout"), kExitSensor, silenceText(s, port));
        } else {
            finish(r, QStringLiteral("ok"), kExitOk,
                   QStringLiteral("%1 records").arg(loops.samples()));
        }
        return r;
    };
    PortWork work;
    work.stopLinksOnSignal = true;
    return runOnPorts(
        mapPathFor(o), ports, job, [&](const PortResult& r) { reportSingle(out, r, true); }, work);
}

int cmdVideo(const Options& o, Output& out) {
    PortSession s(mapPathFor(o));
    const int port = o.ports.front();
    PortResult r = newResult(s, port, QStringLiteral("video"));
    IdentifyReport report;
    if (!startOn(s, port, o, r, &report)) return reportSingle(out, r, false);

    // The curve the window draws beside the profile with Raw off: the fixed threshold line, or
    // in automatic mode the threshold array the sensor stores, read back as the connection does
    // (from where the model's threshold target switch points, RAM unless the model says).
    const bool automatic = s.sensor.params.videoThdMode != 0;
    fillThresholdLine(s.sensor.video, s.sensor.model.videoFullScale, s.sensor.params.videoThdFix);
    if (automatic) {
        const int target =
            report.profile && report.profile->targetValue ? *report.profile->targetValue : 1;
        if (s.sensor.readBlockRun(port, static_cast<std::uint16_t>(target == 2 ? 2 : 1)) != 1) {
            finish(r, QStringLiteral("failed"), kExitSensor,
                   QStringLiteral("threshold curve: ") + s.sensor.link.statusText);
            return reportSingle(out, r, false);
        }
    }
    const ProfileArray& threshold =
        automatic ? s.sensor.video.thresholdArray : s.sensor.video.thresholdLine;

    MeasureLoops loops(s.sensor);
    Interrupt::onRequest([&s] { s.sensor.link.stopFlag = kStopByUser; });
    // One cycle is enough: the first complete profile stops the loop. The window tries again
    // after a failed block for as long as the operator lets it; here a few cycles in a row
    // without a whole profile are an answer.
    const int flag =
        Interrupt::requested()
            ? kStopByUser
            : loops.video(
                  port, [&s](const RunRecord&) { s.sensor.link.stopFlag = kStopByUser; },
                  kVideoFailedCycleLimit);
    Interrupt::onRequest({});
    if (loops.samples() == 0) {
        // Without a profile nothing was done, whatever ended the loop.
        if (flag != kStopRunTimeout) {
            finish(r, QStringLiteral("interrupted"), kExitSensor,
                   QStringLiteral("no profile read"));
        } else if (loops.failedCycles() >= kVideoFailedCycleLimit) {
            finish(r, QStringLiteral("failed"), kExitSensor,
                   QStringLiteral("no whole profile in %1 cycles: %2")
                       .arg(kVideoFailedCycleLimit)
                       .arg(silenceText(s, port)));
        } else {
            finish(r, QStringLiteral("timeout"), kExitSensor, silenceText(s, port));
        }
        return reportSingle(out, r, false);
    }
    out.setColumns({{QStringLiteral("SAMPLE"), 6},
                    {QStringLiteral("PIXEL"), 6},
                    {QStringLiteral("INTENSITY"), 9},
                    {QStringLiteral("THRESHOLD"), 0}});
    for (int i = 0; i < kProfileSamples; ++i) {
        QJsonObject j;
        j[QStringLiteral("type")] = QStringLiteral("sample");
        j[QStringLiteral("port")] = port;
        j[QStringLiteral("sample")] = i;
        j[QStringLiteral("pixel")] = s.sensor.model.videoX[i];
        j[QStringLiteral("intensity")] = s.sensor.video.video[i];
        j[QStringLiteral("threshold")] = threshold[i];
        out.row({QString::number(i), QString::number(s.sensor.model.videoX[i]),
                 QString::number(s.sensor.video.video[i]), QString::number(threshold[i])},
                j);
    }
    const RunRecord& rec = s.sensor.run;
    r.json[QStringLiteral("value")] = rec.measuredValue;
    r.json[QStringLiteral("left")] = rec.leftEdge;
    r.json[QStringLiteral("right")] = rec.rightEdge;
    r.json[QStringLiteral("edges")] = rec.edgeCount;
    r.json[QStringLiteral("fullScale")] = s.sensor.model.videoFullScale;
    r.json[QStringLiteral("threshold")] =
        automatic ? QStringLiteral("array") : QStringLiteral("line");
    finish(r, QStringLiteral("ok"), kExitOk);
    return reportSingle(out, r, true);
}

int cmdRecord(const Options& o, Output& out) {
    std::vector<int> ports;
    if (!portsFor(o, out, ports)) return kExitUsage;
    // No sensor is touched when any of the files may not be written.
    for (int port : ports) {
        if (const QString refusal = outputFileRefusal(outputPathFor(o.output, port), o.force);
            !refusal.isEmpty()) {
            out.error(refusal);
            return kExitUsage;
        }
    }
    const QString label = ports.size() > 1 ? QStringLiteral("recording")
                                           : QStringLiteral("COM%1 recording").arg(ports.front());
    const long total = static_cast<long>(o.samples) * static_cast<long>(ports.size());
    auto stored = std::make_shared<std::atomic<long>>(0);
    // taken counts the samples stored.
    const auto recordOn = [&](PortSession& s, int port, long& taken) {
        const QString path = outputPathFor(o.output, port);
        PortResult r = newResult(s, port, QStringLiteral("record"));
        r.json[QStringLiteral("file")] = path;
        r.extra = {QStringLiteral("0"), path};
        if (!startOn(s, port, o, r)) return r;

        const int sensorMode = s.sensor.params.rs232Mode;
        const int mode = o.mode ? *o.mode : sensorMode;
        if (mode == 2 || mode == 3 || mode > 4) {
            finish(r, QStringLiteral("refused"), kExitSensor,
                   QStringLiteral("the sensor's RS-232-Mode is %1, in which the recorder is not "
                                  "used; --mode 0 or 1 switches it")
                       .arg(mode));
            return r;
        }
        // The file is taken before the sensor is changed: one that another recording writes to
        // is refused with the sensor as it was. The session empties it when the recording starts.
        const bool fileExisted = QFileInfo::exists(path);
        RecordingSession session(s.sensor);
        const FileResult opened = session.openFile(path);
        if (!opened.ok) {
            finish(r, QStringLiteral("file-error"), kExitUsage, opened.error);
            return r;
        }
        if (mode != sensorMode) {
            if (interrupted(r, QStringLiteral("RS-232-Mode not switched, nothing recorded"))) {
                if (!fileExisted) QFile::remove(path);
                return r;
            }
            // The sensor sends triggered records only in its own mode 1: the recorder's mode goes
            // to its RAM first, as SEND would take it there from the window's mode list.
            s.sensor.params.rs232Mode = static_cast<std::uint16_t>(mode);
            s.writing(QStringLiteral("record mode"),
                      {{QStringLiteral("RS-232-Mode"), sensorMode, mode}});
            if (s.sensor.SendParamHalf(kMemoryRam, 1, port) != 1) {
                finish(r, QStringLiteral("failed"), kExitSensor,
                       QStringLiteral("RS-232-Mode not set: ") + s.sensor.link.statusText);
                // Nothing was recorded: a file made for it does not stay behind.
                if (!fileExisted) QFile::remove(path);
                return r;
            }
            logWrite(s, port, r.device, true, {}, out);
            const QString text = QStringLiteral("COM%1: RS-232-Mode %2 -> %3 in RAM")
                                     .arg(port)
                                     .arg(sensorMode)
                                     .arg(mode);
            s.post([&out, text] { out.message(text); });
        }

        RecordingPlan plan;
        plan.port = port;
        plan.mode = mode;
        plan.path = path;
        plan.samples = static_cast<std::uint16_t>(o.samples);
        plan.step = mode == 0 ? o.step : 0.1;
        plan.header.date = recorderDateText(QDate::currentDate());
        plan.header.time = recorderTimeText(QTime::currentTime());
        plan.header.mode = static_cast<std::uint16_t>(mode);
        plan.header.increment = o.step;
        plan.header.samples = plan.samples;
        plan.header.umOffset = s.sensor.params.umOffset;
        plan.header.umSlope = s.sensor.params.umSlope;

        const double start = s.pump.now();
        RecordingSession::View view;
        view.sample = [&](const RunRecord& rec, long count) {
            ++taken;
            stored->fetch_add(1);
            if (!out.json()) return;
            QJsonObject j = recordJson(port, s.pump.now() - start, rec);
            j[QStringLiteral("sample")] = static_cast<qint64>(count);
            s.post([&out, j = std::move(j)] { out.jsonLine(j); });
        };
        RecordEnd end = RecordEnd::Stopped;
        if (!Interrupt::requested()) end = session.run(plan, view);

        r.extra = {QString::number(session.count()), path};
        r.json[QStringLiteral("samples")] = static_cast<qint64>(session.count());
        switch (end) {
            case RecordEnd::Completed:
                finish(r, QStringLiteral("ok"), kExitOk,
                       QStringLiteral("Data-Recorder completed successfully!"));
                break;
            case RecordEnd::Stopped:
                // As the window's stop button: a dummy frame ends what the sensor may still send.
                s.sensor.WriteDummyFrame(port);
                finish(r, QStringLiteral("stopped"), kExitOk,
                       QStringLiteral("Data-Recorder stopped!"));
                break;
            case RecordEnd::TimedOut:
                finish(r, QStringLiteral("timeout"), kExitSensor,
                       QStringLiteral("Data-Recorder error - rs232 timeout!"));
                break;
            case RecordEnd::LineLost:
                finish(r, QStringLiteral("line-lost"), kExitSensor,
                       QStringLiteral("Data-Recorder error - rs232 line lost! ") +
                           s.bank.errorDetail(port));
                break;
            case RecordEnd::FileFailed:
                finish(r, QStringLiteral("file-error"), kExitUsage,
                       QStringLiteral("Data-Recorder error - file not written: ") +
                           session.fileError());
                break;
        }
        return r;
    };
    const auto job = [&](PortSession& s, int port) {
        long taken = 0;
        PortResult r = recordOn(s, port, taken);
        // Samples this port will no longer take count as done for the bar.
        stored->fetch_add(o.samples - taken);
        return r;
    };
    PortWork work;
    work.tick = [&out, &label, stored, total] { out.progress(label, stored->load(), total); };
    work.stopLinksOnSignal = true;
    return runPortCommand(o, out, QStringLiteral("record"),
                          {{QStringLiteral("SAMPLES"), 7}, {QStringLiteral("FILE"), 20}}, job,
                          work);
}

}  // namespace korvo::cli
