#include "core/measure/MeasureLoops.h"

namespace korvo {

MeasureLoops::MeasureLoops(PortSensor& sensor) : sensor_(sensor) {}

WaitOutcome MeasureLoops::request(int port) {
    LinkState& s = sensor_.link;
    sensor_.sendRequest(port, 8, 0, Flush::InThenOut);
    const double start = sensor_.pump().now();
    const WaitOutcome outcome =
        sensor_.awaitFrame(port, start, kReplyLimit, LimitRule::Strict, true);
    if (outcome == WaitOutcome::Reply) {
        CopyPPtoRAW36(s.dataWords, sensor_.run, sensor_.params);
        s.receiveFlag = 0;
    }
    return outcome;
}

void MeasureLoops::timedOut() {
    LinkState& s = sensor_.link;
    // A stop by the operator meanwhile is no time-out.
    if (s.stopFlag != kStopRunning) return;
    s.setStatus(QStringLiteral("Timeout RS232-Line!"));
    sensor_.showStatusNow(StatusLine::Main);
    s.stopFlag = kStopRunTimeout;
}

int MeasureLoops::run(int port, const Show& showSample) {
    LinkState& s = sensor_.link;
    samples_ = resumed_ = 0;
    s.stopFlag = kStopRunning;
    s.receiveFlag = 0;
    s.replyKind = kReplyNone;
    // The first request goes out with the data words as they stand. Its own wait reports a
    // time-out and, as a single request would, leaves the stop flag at 1; a run that never got
    // an answer has still ended by time-out.
    if (sensor_.PushGETRAW(port) == kReplyRawData) {
        CopyPPtoRAW36(s.dataWords, sensor_.run, sensor_.params);
        ++samples_;
        showSample(sensor_.run);
    } else {
        s.stopFlag = kStopRunTimeout;
    }
    while (s.stopFlag == kStopRunning) {
        // Every request carries the current para0: changes made during the run reach the sensor
        // with the next one.
        CopyVarsToPP(sensor_.params, 0, s.dataWords, sensor_.band, sensor_.model.pixelCount);
        switch (request(port)) {
            case WaitOutcome::Reply:
                ++samples_;
                showSample(sensor_.run);
                break;
            case WaitOutcome::Resumed:
                ++resumed_;
                break;
            case WaitOutcome::Stopped:
                break;
            case WaitOutcome::TimedOut:
            case WaitOutcome::PortLost:
            case WaitOutcome::Refused:
                timedOut();
                break;
        }
    }
    s.replyKind = kReplyNone;
    s.receiveFlag = 0;
    sensor_.ports().flushInThenOut(port);
    return s.stopFlag;
}

int MeasureLoops::video(int port, const Show& showCycle, int failedCycleLimit) {
    LinkState& s = sensor_.link;
    samples_ = resumed_ = failedInARow_ = 0;
    s.stopFlag = kStopRunning;
    while (s.stopFlag == kStopRunning) {
        // The data words go out as they stand, as with a single raw-data request.
        const WaitOutcome outcome = request(port);
        if (outcome == WaitOutcome::Resumed) {
            ++resumed_;
            continue;
        }
        if (outcome != WaitOutcome::Reply) {
            timedOut();
            break;
        }
        if (sensor_.readBlockRun(port, 0) == 1) {
            failedInARow_ = 0;
            ++samples_;
            showCycle(sensor_.run);
        } else if (++failedInARow_ == failedCycleLimit && s.stopFlag == kStopRunning) {
            // The block's own message (time-out, too many words) stays as the reason.
            s.stopFlag = kStopRunTimeout;
            break;
        }
        sensor_.pump().processEvents();
    }
    sensor_.ports().installCallback(port, true);
    sensor_.ports().flushOut(port);
    sensor_.ports().flushIn(port);
    return s.stopFlag;
}

}  // namespace korvo
