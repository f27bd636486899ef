// Writing requests and waiting for their answers: which frame of which port answers which
// request, one wait per port at a time, late answers kept from later requests.

#include <algorithm>

#include "core/link/Frame.h"
#include "core/link/PortSettings.h"
#include "core/link/ReplyMatch.h"
#include "core/link/SensorLink.h"

namespace korvo {

// Marks a wait in progress on a port for as long as it runs; nested waits put back the state of
// the one they interrupted.
class SensorLink::WaitScope {
public:
    WaitScope(PortTurn& turn, bool yields) : turn_(turn), outerYields_(turn.yields) {
        ++turn_.waiting;
        turn_.yields = yields;
        if (yields) turn_.resumed = false;
    }
    ~WaitScope() {
        --turn_.waiting;
        turn_.yields = outerYields_;
    }
    WaitScope(const WaitScope&) = delete;
    WaitScope& operator=(const WaitScope&) = delete;

private:
    PortTurn& turn_;
    bool outerYields_;
};

bool SensorLink::claimPort(int port, std::uint16_t code) {
    PortTurn& turn = turns_[port];
    if (turn.waiting > 0 && !turn.yields) {
        turn.refused = true;
        setStatus(QString::fromLatin1(kPortBusyText));
        showStatus(StatusLine::Main);
        return false;
    }
    turn.refused = false;
    settleLateReply(port, code);
    turn.code = code;
    return true;
}

void SensorLink::settleLateReply(int port, std::uint16_t code) {
    PortTurn& turn = turns_[port];
    if (!turn.owed || !lateReplyPassesFor(code, turn.owedCode)) return;
    WaitScope scope(turn, false);
    std::uint64_t next = turn.owedMark + 1;
    for (;;) {
        ComPort* p = ports_.port(port);
        if (p == nullptr || !p->isOpen() || pump_.now() >= turn.owedUntil) break;
        bool arrived = false;
        for (; next <= p->framesReceived() && !arrived; ++next) {
            const ComPort::ReceivedFrame* f = p->frame(next);
            arrived = f != nullptr && canAnswer(turn.owedCode, f->bytes);
        }
        if (arrived) break;
        pump_.waitForEvents(turn.owedUntil);
    }
    turn.owed = false;
}

void SensorLink::markWritten(int port) {
    const ComPort* p = ports_.port(port);
    turns_[port].mark = p ? p->framesReceived() : 0;
}

int SensorLink::sendRequest(int port, std::uint16_t code, std::uint16_t arg, Flush flush) {
    if (!claimPort(port, code)) return kErrPortBusy;
    data_.link.commandCode = code;
    data_.link.argumentWord = arg;
    FillTxBuf(data_.link, code, arg, data_.link.dataWords);
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
    data_.link.replyKind = kReplyNone;
    markWritten(port);
    return writeRequest(port);
}

int SensorLink::writeRequest(int port) {
    return ports_.write(port, data_.link.txBuf.data(), kFrameBytes);
}

bool SensorLink::takeAnswer(int port, std::uint16_t code, std::uint64_t& next) {
    ComPort* p = ports_.port(port);
    if (p == nullptr) return false;
    for (; next <= p->framesReceived(); ++next) {
        ComPort::ReceivedFrame* f = p->frame(next);
        if (f == nullptr || f->taken || !canAnswer(code, f->bytes)) continue;
        f->taken = true;
        ++next;
        std::copy(f->bytes.begin(), f->bytes.end(), data_.link.rxBuf.begin());
        data_.link.replyKind = GetRxBuf36(data_.link);
        data_.link.receiveFlag = 1;
        return true;
    }
    return false;
}

WaitOutcome SensorLink::awaitFrame(int port, double start, double limit, LimitRule rule,
                                   bool yields) {
    PortTurn& turn = turns_[port];
    if (turn.refused) return WaitOutcome::Refused;
    // A nested exchange overwrites the port's request; this wait keeps its own.
    const std::uint16_t code = turn.code;
    const std::uint64_t mark = turn.mark;
    std::uint64_t next = mark + 1;
    WaitScope scope(turn, yields);
    const double deadline = start + limit;
    const auto expired = [&] {
        const double elapsed = pump_.now() - start;
        return rule == LimitRule::Strict ? elapsed > limit : elapsed >= limit;
    };
    for (;;) {
        if (takeAnswer(port, code, next)) return WaitOutcome::Reply;
        if (yields && turn.resumed) {
            turn.resumed = false;
            return WaitOutcome::Resumed;
        }
        if (yields && data_.link.stopFlag != kStopRunning) return WaitOutcome::Stopped;
        // A port that is closed or has hung up cannot answer any more.
        if (!ports_.isOpen(port)) return WaitOutcome::PortLost;
        if (expired()) {
            // A reply that came in by now still counts.
            pump_.processEvents();
            if (takeAnswer(port, code, next)) return WaitOutcome::Reply;
            turn.owed = true;
            turn.owedCode = code;
            turn.owedMark = mark;
            turn.owedUntil = deadline + limit;
            return WaitOutcome::TimedOut;
        }
        // Runs what arrives, so the loop looks at the port's frames again right after it.
        pump_.waitForEvents(deadline);
    }
}

int SensorLink::awaitQueued(int port, int count, double start, double limit, bool& timedOut) {
    timedOut = false;
    WaitScope scope(turns_[port], false);
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
    if (data_.link.stopFlag != kStopRunning) return;
    data_.link.replyKind = kReplyRawData;
    for (auto& [port, turn] : turns_) {
        if (turn.waiting > 0 && turn.yields) turn.resumed = true;
    }
}

std::uint64_t SensorLink::framesReceived(int port) const {
    const ComPort* p = ports_.port(port);
    return p ? p->framesReceived() : 0;
}

WaitOutcome SensorLink::awaitUnasked(int port, std::uint64_t& next, double deadline) {
    PortTurn& turn = turns_[port];
    WaitScope scope(turn, true);
    for (;;) {
        if (ComPort* p = ports_.port(port)) {
            for (; next <= p->framesReceived(); ++next) {
                ComPort::ReceivedFrame* f = p->frame(next);
                if (f == nullptr || f->taken || replyKindOf(frameWord(f->bytes, 1)) != kReplyRecord)
                    continue;
                f->taken = true;
                ++next;
                std::copy(f->bytes.begin(), f->bytes.end(), data_.link.rxBuf.begin());
                data_.link.replyKind = GetRxBuf36(data_.link);
                data_.link.receiveFlag = 1;
                return WaitOutcome::Reply;
            }
        }
        if (data_.link.stopFlag != kStopRunning) return WaitOutcome::Stopped;
        if (!ports_.isOpen(port)) return WaitOutcome::PortLost;
        if (pump_.now() >= deadline) return WaitOutcome::TimedOut;
        pump_.waitForEvents(deadline);
    }
}

std::uint64_t SensorLink::droppedFrames(int port) const {
    const ComPort* p = ports_.port(port);
    return p ? p->framesDropped() : 0;
}

QString SensorLink::failText(int port, const QString& timeoutText) const {
    const auto it = turns_.find(port);
    return it != turns_.end() && it->second.refused ? QString::fromLatin1(kPortBusyText)
                                                    : timeoutText;
}

}  // namespace korvo
