#include "core/link/SensorLink.h"

#include "core/link/Frame.h"

namespace korvo {

SensorLink::SensorLink(LinkState& link, PortBank& ports, Pump& pump, StatusSink& sink,
                       ParamSet& params, ToleranceBand& band, ModelState& model,
                       VideoBuffers& video)
    : link_(link),
      ports_(ports),
      pump_(pump),
      sink_(sink),
      params_(params),
      band_(band),
      model_(model),
      video_(video) {}

int SensorLink::sendRequest(int port, std::uint16_t code, std::uint16_t arg, Flush flush) {
    link_.commandCode = code;
    link_.argumentWord = arg;
    FillTxBuf(link_, code, arg, link_.dataWords);
    switch (flush) {
        case Flush::OutThenIn:
            ports_.flushOut(port);
            ports_.flushIn(port);
            break;
        case Flush::InThenOut:
            ports_.flushInThenOut(port);
            break;
        case Flush::InOnly:
            ports_.flushIn(port);
            break;
    }
    link_.replyKind = kReplyNone;
    return writeRequest(port);
}

int SensorLink::writeRequest(int port) {
    return ports_.write(port, link_.txBuf.data(), kFrameBytes);
}

bool SensorLink::awaitReply(int port, int expectedKind, double start, double limit,
                            LimitRule rule) {
    const double deadline = start + limit;
    const auto replied = [&] {
        return expectedKind == kReplyNone ? link_.replyKind != kReplyNone
                                          : link_.replyKind == expectedKind;
    };
    const auto expired = [&] {
        const double elapsed = pump_.now() - start;
        return rule == LimitRule::Strict ? elapsed > limit : elapsed >= limit;
    };
    // A reply kind set before the wait is only taken once the events already queued have run:
    // one of them may replace it. Otherwise the first wait runs them.
    if (replied()) pump_.processEvents();
    for (;;) {
        if (replied()) return true;
        // A port that is closed or has hung up cannot answer any more.
        if (!ports_.isOpen(port)) return false;
        if (expired()) {
            // A reply that came in by now still counts.
            pump_.processEvents();
            return replied();
        }
        // Runs what arrives, so the loop looks at the reply kind again right after it.
        pump_.waitForEvents(deadline);
    }
}

int SensorLink::awaitQueued(int port, int count, double start, double limit, bool& timedOut) {
    timedOut = false;
    for (;;) {
        pump_.processEvents();
        const int queued = ports_.inQLen(port);
        if (queued < 0) {
            timedOut = true;
            return 0;
        }
        if (pump_.now() - start > limit) {
            timedOut = true;
            return queued;
        }
        if (queued >= count) return queued;
        pump_.waitForEvents(start + limit);
    }
}

void SensorLink::resumeRunLoop() {
    if (link_.stopFlag == kStopRunning) link_.replyKind = kReplyRawData;
}

int SensorLink::WriteDummyFrame(int port) {
    link_.commandCode = 0;
    link_.argumentWord = 0;
    link_.txBuf.fill(0);
    link_.dataWords.fill(0);
    FillTxBuf(link_, 0, 0, link_.dataWords);
    ports_.flushOut(port);
    ports_.flushIn(port);
    const int written = writeRequest(port);
    pump_.processEvents();
    const bool ok = written == kFrameBytes;
    setStatus(ok ? QStringLiteral("Writing RS-232 dummy frame ok!")
                 : QStringLiteral("Error transmit dummy frame!"));
    showStatus(StatusLine::Main);
    return ok ? 1 : 0;
}

}  // namespace korvo
