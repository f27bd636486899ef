#include "core/monitor/LineMonitor.h"

#include <QTimer>
#include <algorithm>
#include <cmath>

#include "core/link/ComPort.h"
#include "core/link/Frame.h"
#include "core/link/IdentifySensor.h"
#include "core/link/ReplyMatch.h"

namespace korvo {

struct LineMonitor::Port {
    Port(PortBank& bank, Pump& pump) : sensor(bank, pump, sink) {}
    PortWatch w;
    int baudIndex = 1;
    bool enabled = true;
    bool released = false;
    bool measuring = false;  // joined: run requests go out
    bool awaiting = false;   // a run request is out
    bool flushFirst = true;  // the next request empties both queues first
    bool opened = false;     // by the monitor
    double joinAt = 0.0;     // pump seconds; the port joins once this has come
    std::uint64_t mark = 0;  // the newest frame when the request went out
    RateMeter rate;
    NullStatusSink sink;
    PortSensor sensor;
    std::unique_ptr<QTimer> replyTimer;
    ComPort* heard = nullptr;  // the port whose signals reach us
};

LineMonitor::LineMonitor(PortBank& bank, Pump& pump) : bank_(bank), pump_(pump) {}

LineMonitor::~LineMonitor() {
    stop();
}

LineMonitor::Port* LineMonitor::find(int com) const {
    const auto it = ports_.find(com);
    return it == ports_.end() ? nullptr : it->second.get();
}

void LineMonitor::addPort(int com, int baudIndex) {
    auto p = std::make_unique<Port>(bank_, pump_);
    p->w.com = com;
    p->w.device = bank_.devicePathFor(com);
    p->baudIndex = baudIndex;
    p->replyTimer = std::make_unique<QTimer>(&context_);
    p->replyTimer->setSingleShot(true);
    p->replyTimer->setInterval(static_cast<int>(kReplyLimit * 1000));
    Port* raw = p.get();
    QObject::connect(p->replyTimer.get(), &QTimer::timeout, &context_,
                     [this, raw] { replyTimedOut(*raw); });
    ports_[com] = std::move(p);
}

void LineMonitor::addDisabledPort(int com, const QString& reason) {
    addPort(com, 1);
    Port& p = *find(com);
    p.enabled = false;
    p.w.state = WatchState::NotConnected;
    p.w.reason = reason;
}

void LineMonitor::start() {
    started_ = true;
    stopped_ = false;
    scheduleJoin(0.0);
}

void LineMonitor::stop() {
    stopped_ = true;
    for (auto& [com, p] : ports_) {
        p->replyTimer->stop();
        p->measuring = false;
        p->awaiting = false;
        if (closeAtStop_ && p->opened && !p->released) bank_.close(com);
        p->opened = false;
    }
}

bool LineMonitor::holds(int com) const {
    const Port* p = find(com);
    return p && p->enabled && !p->released;
}

void LineMonitor::release(int com) {
    Port* p = find(com);
    if (p == nullptr || !p->enabled) return;
    p->released = true;
    p->measuring = false;
    p->awaiting = false;
    p->replyTimer->stop();
    p->w.state = WatchState::Paused;
    p->w.reason = QStringLiteral("let go for another exchange");
    notify(*p);
}

void LineMonitor::resume(int com) {
    Port* p = find(com);
    if (p == nullptr || !p->enabled || !p->released) return;
    p->released = false;
    p->w.state = WatchState::Joining;
    p->w.reason.clear();
    p->joinAt = pump_.now();
    notify(*p);
    scheduleJoin(0.0);
}

void LineMonitor::scheduleJoin(double after) {
    if (!started_ || stopped_) return;
    QTimer::singleShot(static_cast<int>(std::ceil(std::max(0.0, after) * 1000)), &context_,
                       [this] { joinDue(); });
}

bool LineMonitor::waitsToJoin(const Port& p) {
    return p.enabled && !p.released && !p.measuring && p.w.state != WatchState::Refused;
}

void LineMonitor::joinDue() {
    // A join runs its exchanges with waits of its own; the other ports go on being measured
    // inside them, a join never starts inside another, and the event loop gets control back
    // between two joins.
    if (joining_ || stopped_) return;
    const double now = pump_.now();
    Port* next = nullptr;
    double soonest = -1.0;
    for (auto& [com, p] : ports_) {
        if (!waitsToJoin(*p)) continue;
        if (p->joinAt <= now && next == nullptr) next = p.get();
        if (soonest < 0.0 || p->joinAt < soonest) soonest = p->joinAt;
    }
    if (next == nullptr) {
        if (soonest >= 0.0) scheduleJoin(soonest - now);
        return;
    }
    joining_ = true;
    join(*next);
    joining_ = false;
    scheduleJoin(0.0);
}

void LineMonitor::join(Port& p) {
    const int com = p.w.com;
    PortSensor& s = p.sensor;
    p.joinAt = pump_.now() + kRetryAfter;  // the next try, should this one fail
    p.w.device = bank_.devicePathFor(com);
    const int opened = s.Init232(com, p.baudIndex);
    if (opened != 1) {
        p.w.state = WatchState::NotConnected;
        p.w.reason =
            bank_.errorDetail(com).isEmpty() ? s.link.mplexStatusText : bank_.errorDetail(com);
        notify(p);
        return;
    }
    p.opened = true;
    ComPort* port = bank_.port(com);
    if (port != p.heard) {
        p.heard = port;
        Port* raw = &p;
        QObject::connect(port, &ComPort::framesArrived, &context_,
                         [this, raw] { framesArrived(*raw); });
        QObject::connect(port, &ComPort::linkLost, &context_, [this, raw] {
            if (!raw->released && raw->w.state != WatchState::Joining)
                lose(*raw, bank_.errorDetail(raw->w.com));
        });
    }

    IdentifyOptions options;
    options.zeroLineCheck = true;
    const IdentifyReport id = identifySensor(s, com, options);
    if (stopped_ || p.released) return;
    p.w.serialNumber = id.serialNumber;
    p.w.firmwareText = id.firmwareText.trimmed();
    p.w.modelLine = id.modelLine;
    p.w.pixelCount = s.model.pixelCount;
    if (!bank_.isOpen(com)) {
        lose(p, bank_.errorDetail(com));
        return;
    }
    if (id.verdict == IdentifyVerdict::Refused) {
        p.w.state = WatchState::Refused;
        p.w.reason = id.reason;
        notify(p);
        return;
    }
    if (id.verdict == IdentifyVerdict::Failed ||
        s.GetParamHalf(kMemoryRam, 0, com, s.params) != 1) {
        if (stopped_ || p.released) return;
        if (!bank_.isOpen(com)) {
            lose(p, bank_.errorDetail(com));
            return;
        }
        p.w.state = WatchState::Stale;
        p.w.sampled = false;
        p.w.reason = id.verdict == IdentifyVerdict::Failed
                         ? id.reason
                         : QStringLiteral("para0: ") + s.link.statusText;
        notify(p);
        return;
    }
    if (stopped_ || p.released) return;
    // um-Slope (para1) only turns the limits into millimetres: a sensor that does not answer it
    // is measured all the same.
    p.w.umSlope.reset();
    if (s.GetParamHalf(kMemoryRam, 1, com, s.params) == 1) p.w.umSlope = s.params.umSlope;
    if (stopped_ || p.released) return;
    if (!bank_.isOpen(com)) {
        lose(p, bank_.errorDetail(com));
        return;
    }
    p.measuring = true;
    p.flushFirst = true;
    p.w.state = WatchState::Live;
    p.w.reason.clear();
    p.w.sampled = false;
    p.w.lastAnswer = pump_.now();
    notify(p);
    sendRun(p);
}

void LineMonitor::sendRun(Port& p) {
    if (stopped_ || p.released) return;
    const int com = p.w.com;
    PortSensor& s = p.sensor;
    CopyVarsToPP(s.params, 0, s.link.dataWords, s.band, s.model.pixelCount);
    FillTxBuf(s.link, 8, 0, s.link.dataWords);
    // After an answer nothing else waits on the line; after a time-out a late answer may.
    if (p.flushFirst) bank_.flushInThenOut(com);
    p.flushFirst = false;
    const ComPort* port = bank_.port(com);
    p.mark = port ? port->framesReceived() : 0;
    p.awaiting = true;
    p.replyTimer->start();
    if (bank_.write(com, s.link.txBuf.data(), kFrameBytes) != kFrameBytes && !bank_.isOpen(com))
        lose(p, bank_.errorDetail(com));
}

void LineMonitor::framesArrived(Port& p) {
    if (!p.awaiting || p.released || stopped_) return;
    ComPort* port = bank_.port(p.w.com);
    if (port == nullptr) return;
    for (std::uint64_t n = p.mark + 1; n <= port->framesReceived(); ++n) {
        ComPort::ReceivedFrame* f = port->frame(n);
        if (f == nullptr || f->taken || !canAnswer(8, f->bytes)) continue;
        f->taken = true;
        p.awaiting = false;
        p.replyTimer->stop();
        LinkState& link = p.sensor.link;
        std::copy(f->bytes.begin(), f->bytes.end(), link.rxBuf.begin());
        GetRxBuf36(link);
        // The record is decoded against a copy: the requests go on carrying para0 as read.
        ParamSet decoded = p.sensor.params;
        CopyPPtoRAW36(link.dataWords, p.sensor.run, decoded);
        const double now = pump_.now();
        takeSample(p.w, p.sensor.run, p.sensor.params, now);
        p.rate.add(now);
        notify(p);
        sendRun(p);
        return;
    }
}

void LineMonitor::replyTimedOut(Port& p) {
    if (!p.awaiting || p.released || stopped_) return;
    p.awaiting = false;
    ++p.w.timeouts;
    p.flushFirst = true;
    if (!bank_.isOpen(p.w.com)) {
        lose(p, bank_.errorDetail(p.w.com));
        return;
    }
    p.w.reason = QStringLiteral("no answer");
    notify(p);
    sendRun(p);
}

void LineMonitor::lose(Port& p, const QString& reason) {
    p.measuring = false;
    p.awaiting = false;
    p.replyTimer->stop();
    p.w.state = WatchState::LineLost;
    p.w.reason = reason.isEmpty() ? QStringLiteral("the line was lost") : reason;
    p.joinAt = pump_.now() + kRetryAfter;
    bank_.close(p.w.com);
    p.opened = false;
    notify(p);
    scheduleJoin(kRetryAfter);
}

void LineMonitor::notify(Port& p) {
    if (changed) changed(p.w.com);
}

std::vector<PortWatch> LineMonitor::watches() {
    std::vector<PortWatch> out;
    out.reserve(ports_.size());
    for (auto& [com, p] : ports_) out.push_back(*watch(com));
    return out;
}

const PortWatch* LineMonitor::watch(int com) {
    Port* p = find(com);
    if (p == nullptr) return nullptr;
    const double now = pump_.now();
    p->w.state = stateAt(p->w, now);
    if (p->w.state == WatchState::Stale && p->w.reason.isEmpty())
        p->w.reason = QStringLiteral("no answer");
    p->w.samplesPerSecond = p->rate.rate(now);
    return &p->w;
}

IntervalValues LineMonitor::takeInterval(int com) {
    Port* p = find(com);
    if (p == nullptr) return {};
    const IntervalValues v = p->w.interval;
    p->w.interval = {};
    return v;
}

const ParamSet* LineMonitor::para0(int com) const {
    const Port* p = find(com);
    return p ? &p->sensor.params : nullptr;
}

}  // namespace korvo
