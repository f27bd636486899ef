#pragma once
// The two measurement loops of the scope window, without any widget: run mode streams raw-data
// requests and hands each run record to the caller; video mode fetches a run record and the four
// profile blocks per cycle. Both run inside the caller, sleep on the event loop while they wait,
// and end when the stop flag leaves 0 (the caller's stop button, or a time-out: -1). Exchanges
// that the operator starts on the same port meanwhile (SEND, Reset, TEST, teach) run nested in
// the loop's wait and hand the port back; their echo is never shown as a measurement.

#include <functional>

#include "core/link/PortSensor.h"

namespace korvo {

class MeasureLoops {
public:
    // Requests carry the sensor's para0 and band; replies are decoded into its run record.
    explicit MeasureLoops(PortSensor& sensor);

    using Show = std::function<void(const RunRecord&)>;

    // Run mode on port: a first request with the data words as they stand, then requests that
    // each carry the current para0. showSample gets every raw-data reply decoded into the run
    // record. Returns the stop flag at the end (1 stopped, -1 time-out).
    int run(int port, const Show& showSample);

    // Video mode on port: per cycle a raw-data request, then the four blocks of the profile with
    // the receive path off (always switched on again). showCycle gets the run record once all
    // four blocks came; a failed block only skips that cycle's drawing, unless failedCycleLimit
    // cycles in a row (0: no limit) came without a whole profile: then the loop ends as by a
    // time-out (-1) with the last block's message in the status text. Returns the stop flag at
    // the end.
    int video(int port, const Show& showCycle, int failedCycleLimit = 0);

    // Samples shown by the last run, and requests handed back by a nested exchange.
    long samples() const { return samples_; }
    long resumed() const { return resumed_; }
    // Video cycles in a row, up to the last, that brought no whole profile.
    int failedCycles() const { return failedInARow_; }

private:
    // One raw-data request with the data-word buffer as it stands, and its yielding wait. A reply
    // is decoded into the run record.
    WaitOutcome request(int port);
    void timedOut();

    PortSensor& sensor_;
    long samples_ = 0;
    long resumed_ = 0;
    int failedInARow_ = 0;
};

}  // namespace korvo
