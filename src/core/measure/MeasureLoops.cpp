#include "core/measure/MeasureLoops.h"

namespace korvo {

MeasureLoops::MeasureLoops(SensorLink& link, ParamSet& params, ToleranceBand& band,
                           ModelState& model, RunRecord& run)
    : link_(link), params_(params), band_(band), model_(model), run_(run) {}

WaitOutcome MeasureLoops::request(int port) {
    LinkState& s = link_.state();
    link_.sendRequest(port, 8, 0, Flush::InThenOut);
    const double start = link_.pump().now();
    const WaitOutcome outcome = link_.awaitFrame(port, start, kReplyLimit, LimitRule::Strict, true);
    if (outcome == WaitOutcome::Reply) {
        CopyPPtoRAW36(s.dataWords, run_, params_);
        s.receiveFlag = 0;
    }
    return outcome;
}

void MeasureLoops::timedOut() {
    LinkState& s = link_.state();
    // A stop by the operator meanwhile is no time-out.
    if (s.stopFlag != kStopRunning) return;
    s.setStatus(QStringLiteral("Timeout RS232-Line!"));
    link_.showStatusNow(StatusLine::Main);
    s.stopFlag = kStopRunTimeout;
}

int MeasureLoops::run(int port, const Show& showSample) {
    LinkState& s = link_.state();
    samples_ = resumed_ = 0;
    s.stopFlag = kStopRunning;
    s.receiveFlag = 0;
    s.replyKind = kReplyNone;
    // The first request goes out with the data words as they stand. Its own wait reports a
    // time-out and, as a single request would, leaves the stop flag at 1; a run that never got
    // an answer has still ended by time-out.
    if (link_.PushGETRAW(port) == kReplyRawData) {
        CopyPPtoRAW36(s.dataWords, run_, params_);
        ++samples_;
        showSample(run_);
    } else {
        s.stopFlag = kStopRunTimeout;
    }
    while (s.stopFlag == kStopRunning) {
        // Every request carries the current para0: changes made during the run reach the sensor
        // with the next one.
        CopyVarsToPP(params_, 0, s.dataWords, band_, model_.pixelCount);
        switch (request(port)) {
            case WaitOutcome::Reply:
                ++samples_;
                showSample(run_);
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
    link_.ports().flushInThenOut(port);
    return s.stopFlag;
}

int MeasureLoops::video(int port, const Show& showCycle, int failedCycleLimit) {
    LinkState& s = link_.state();
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
        if (link_.readBlockRun(port, 0) == 1) {
            failedInARow_ = 0;
            ++samples_;
            showCycle(run_);
        } else if (++failedInARow_ == failedCycleLimit && s.stopFlag == kStopRunning) {
            // The block's own message (time-out, too many words) stays as the reason.
            s.stopFlag = kStopRunTimeout;
            break;
        }
        link_.pump().processEvents();
    }
    link_.ports().installCallback(port, true);
    link_.ports().flushOut(port);
    link_.ports().flushIn(port);
    return s.stopFlag;
}

}  // namespace korvo
