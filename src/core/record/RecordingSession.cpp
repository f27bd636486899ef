#include "core/record/RecordingSession.h"

#include <algorithm>
#include <cmath>

namespace korvo {

namespace {
// The elapsed-time display changes once a second; a waiting loop wakes for it.
double nextWholeSecond(double start, double now) {
    return start + std::floor(now - start) + 1.0;
}
std::int32_t elapsedSeconds(double start, double now) {
    return static_cast<std::int32_t>(now - start);
}
}  // namespace

RecordingSession::RecordingSession(PortSensor& sensor) : sensor_(sensor) {}

bool RecordingSession::store(const RecordingPlan& plan, const View& view) {
    LinkState& s = sensor_.link;
    CopyPPtoRAW18(s.dataWords, sensor_.run);
    if (view.state) view.state(QStringLiteral("APPEND TO DATA-FILE..."));
    const FileResult appended = file_.append(
        recorderLineBytes(sensor_.run.measuredValue, sensor_.run.leftEdge, sensor_.run.rightEdge,
                          sensor_.run.edgeCount, sensor_.run.measuredUm));
    if (!appended.ok) {
        fileError_ = appended.error;
        return false;
    }
    ++count_;
    if (view.sample) view.sample(sensor_.run, count_);
    s.replyKind = kReplyNone;
    s.receiveFlag = 0;
    return true;
}

RecordEnd RecordingSession::askEachStep(const RecordingPlan& plan, const View& view, double start) {
    LinkState& s = sensor_.link;
    Pump& pump = sensor_.pump();
    // The first sample is due one step after the start, as every later one is due a step after
    // the last: sample k belongs k steps after the header's time.
    double last = start;
    while (s.stopFlag == kStopRunning) {
        const double now = pump.now();
        if (now - last >= plan.step) {
            last = now;
            if (view.state) view.state(QStringLiteral("DATA-RECORDER: RS-232-BUSY ..."));
            // A time-out (or a lost line) reports itself and sets the stop flag to 3.
            const int kind = sensor_.RequestRecordSample(plan.port);
            if (kind == kReplyRecord && !store(plan, view)) return RecordEnd::FileFailed;
            if (kind < 0)
                return s.stopFlag == kStopByUser ? RecordEnd::Stopped : RecordEnd::TimedOut;
        }
        if (view.elapsed) view.elapsed(elapsedSeconds(start, pump.now()));
        if (count_ >= plan.samples) {
            s.stopFlag = kStopRecordDone;
            break;
        }
        // Sleeps until the next sample is due, the display's next second or an event (the stop
        // button among them).
        pump.waitForEvents(std::min(last + plan.step, nextWholeSecond(start, pump.now())));
    }
    if (s.stopFlag == kStopRecordDone) return RecordEnd::Completed;
    return s.stopFlag == kStopRecordTimeout ? RecordEnd::TimedOut : RecordEnd::Stopped;
}

RecordEnd RecordingSession::takeTriggered(const RecordingPlan& plan, const View& view,
                                          double start) {
    LinkState& s = sensor_.link;
    Pump& pump = sensor_.pump();
    std::uint64_t next = sensor_.framesReceived(plan.port) + 1;
    if (plan.mode == 1 && view.state) view.state(QStringLiteral("WAITING FOR EXT.-TRIGGER ..."));
    while (s.stopFlag == kStopRunning) {
        const WaitOutcome got =
            sensor_.awaitUnasked(plan.port, next, nextWholeSecond(start, pump.now()));
        if (got == WaitOutcome::PortLost) {
            s.stopFlag = kStopRecordTimeout;
            return RecordEnd::LineLost;
        }
        if (got == WaitOutcome::Reply) {
            if (!store(plan, view)) return RecordEnd::FileFailed;
            if (plan.mode == 1 && view.state)
                view.state(QStringLiteral("WAITING FOR EXT.-TRIGGER ..."));
        }
        if (view.elapsed) view.elapsed(elapsedSeconds(start, pump.now()));
        if (count_ >= plan.samples && s.stopFlag == kStopRunning) s.stopFlag = kStopRecordDone;
    }
    return s.stopFlag == kStopRecordDone ? RecordEnd::Completed : RecordEnd::Stopped;
}

FileResult RecordingSession::openFile(const QString& path) {
    return file_.open(path);
}

RecordEnd RecordingSession::run(const RecordingPlan& plan, const View& view) {
    LinkState& s = sensor_.link;
    PortBank& ports = sensor_.ports();
    count_ = 0;
    fileError_.clear();
    RecordEnd end = RecordEnd::FileFailed;
    FileResult header{true, {}};
    if (!file_.isOpen() || file_.path() != plan.path) header = file_.open(plan.path);
    if (header.ok) header = file_.clear();
    if (header.ok) header = file_.append(recorderHeaderBytes(plan.header));
    if (!header.ok) {
        fileError_ = header.error;
        s.stopFlag = kStopRecordTimeout;
    } else {
        ports.flushIn(plan.port);
        ports.flushOut(plan.port);
        const double start = sensor_.pump().now();
        s.stopFlag = kStopRunning;
        s.receiveFlag = 0;
        s.replyKind = kReplyNone;
        end = plan.mode == 0 ? askEachStep(plan, view, start) : takeTriggered(plan, view, start);
        if (end == RecordEnd::FileFailed) s.stopFlag = kStopRecordTimeout;
    }
    file_.close();
    s.replyKind = kReplyNone;
    s.receiveFlag = 0;
    ports.flushInThenOut(plan.port);
    ports.installCallback(plan.port, true);
    sensor_.pump().processEvents();
    return end;
}

}  // namespace korvo
