#include "sim/VirtualSensor.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <random>
#include <thread>

#include "sim/LineSchedule.h"
#include "sim/Pty.h"
#include "sim/SensorLogic.h"

namespace korvo::sim {

namespace {
// Bytes of a request that pause longer than this are a broken frame: the sensor starts over.
constexpr auto kFrameGap = std::chrono::milliseconds(100);
// The thread looks at its state at least this often even when nothing is due.
constexpr auto kIdleWake = std::chrono::milliseconds(250);

Clock::duration lineTime(int bytes, int baud) {
    return std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(bytes * 10.0 / (baud > 0 ? baud : 19200)));
}
}  // namespace

struct VirtualSensor::Impl {
    explicit Impl(const SensorConfig& c)
        : logic(c),
          pace(c.pace),
          wholeReplies(c.wholeReplies),
          latencyMs(c.latencyMs),
          rng(c.serial + 17u),
          t0(Clock::now()) {
        tx.setWholeReplies(c.wholeReplies);
    }

    struct Pending {
        QByteArray bytes;
        Clock::time_point firstByte, due;
    };

    // All below is guarded by mu.
    mutable std::mutex mu;
    mutable std::condition_variable cv;
    SensorLogic logic;
    FaultTable faults;
    Pty pty;
    LineSchedule tx;
    std::deque<Pending> pending;
    std::deque<ReceivedFrame> log;
    std::size_t framesSinceClear = 0;
    QByteArray rx;
    Clock::time_point rxFirst{}, rxLast{};
    Clock::time_point lastRequestDue{}, lastRequestAt{}, lastRecordAt{};
    Clock::time_point cutOffAt = Clock::time_point::max();  // a CutOff fault's hang-up
    bool pace;
    // A request is answered as soon as it is whole; its reply still starts only when the line
    // would have carried the request's last byte (one wake-up less per exchange).
    bool wholeReplies;
    int latencyMs;
    std::mt19937 rng;
    Clock::time_point t0;
    QString path;
    QString error;

    std::thread thread;
    bool running = false;
    bool stopRequested = false;
    int wakeFd = -1;
    // Requests from other threads, carried out by the serving thread.
    int triggers = 0;
    long recordsSent = 0;
    bool hangUpRequested = false;
    bool reopenRequested = false;
    std::uint64_t commandsPosted = 0, commandsDone = 0;

    double seconds(Clock::time_point now) const {
        return std::chrono::duration<double>(now - t0).count();
    }

    void wake() const {
        if (wakeFd >= 0) {
            const std::uint64_t one = 1;
            [[maybe_unused]] ssize_t n = ::write(wakeFd, &one, sizeof one);
        }
    }

    // Has the serving thread carry out the request `flag` names and waits until it is done; the
    // thread owns the descriptors, so no other thread closes one under its poll. Without a
    // serving thread only a hang-up is done here (a line nobody serves is not reopened).
    void command(std::unique_lock<std::mutex>& lk, bool Impl::*flag) {
        if (!running) {
            if (flag == &Impl::hangUpRequested) dropLine();
            return;
        }
        this->*flag = true;
        const std::uint64_t ticket = ++commandsPosted;
        wake();
        cv.wait(lk, [&] { return commandsDone >= ticket || !running; });
    }

    void dropLine() {
        pty.close();
        tx.clear();
        pending.clear();
        rx.clear();
        cutOffAt = Clock::time_point::max();
    }

    bool openLine() {
        dropLine();
        if (!pty.open()) {
            error = pty.errorText();
            return false;
        }
        path = pty.slavePath();
        error.clear();
        return true;
    }

    void serviceCommands() {
        if (hangUpRequested) dropLine();
        if (reopenRequested) openLine();
        hangUpRequested = reopenRequested = false;
        commandsDone = commandsPosted;
        cv.notify_all();
    }

    void logFrame(ReceivedFrame frame) {
        log.push_back(std::move(frame));
        const auto limit = static_cast<std::size_t>(std::max(1, logic.config().frameLogLimit));
        while (log.size() > limit) log.pop_front();
        ++framesSinceClear;
        cv.notify_all();
    }

    void takeBytes(const char* data, int n, Clock::time_point now) {
        if (!rx.isEmpty() && now - rxLast > kFrameGap) rx.clear();
        if (rx.isEmpty()) rxFirst = now;
        rx.append(data, n);
        rxLast = now;
        for (;;) {
            // A request starts with 0x00 0x55; anything before that is line noise.
            int skip = 0;
            while (skip + 1 < rx.size() && !(rx[skip] == 0 && rx[skip + 1] == 0x55)) ++skip;
            if (skip + 1 >= rx.size()) {
                const bool keepZero = !rx.isEmpty() && rx.back() == 0;
                rx = keepZero ? QByteArray(1, '\0') : QByteArray();
                return;
            }
            rx.remove(0, skip);
            if (rx.size() < kFrameBytes) return;
            Pending p;
            p.bytes = rx.left(kFrameBytes);
            p.firstByte = rxFirst;
            p.due = p.firstByte;
            if (pace) {
                // A line carries one request after the other: 36 bytes of 10 bit times each.
                p.due = std::max(p.firstByte, lastRequestDue) + lineTime(kFrameBytes, logic.baud());
            }
            lastRequestDue = p.due;
            pending.push_back(std::move(p));
            rx.remove(0, kFrameBytes);
            rxFirst = now;
        }
    }

    void readInput(Clock::time_point now) {
        char buf[4096];
        for (;;) {
            const ssize_t n = ::read(pty.masterFd(), buf, sizeof buf);
            if (n > 0) {
                takeBytes(buf, static_cast<int>(n), now);
                // A short read took all that was queued; the next poll reports any more, so the
                // usual request costs one read rather than a second one that only says EAGAIN.
                if (n < static_cast<ssize_t>(sizeof buf)) return;
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) dropLine();
            return;
        }
    }

    void queueReply(const QByteArray& bytes, Clock::time_point at) {
        tx.queue(bytes, at, pace ? logic.baud() : 0);
    }

    void actOn(const Pending& p, Clock::time_point now) {
        ReceivedFrame frame{p.bytes, p.firstByte, now, false};
        lastRequestAt = now;
        const SensorConfig& cfg = logic.config();
        if (cfg.strictBaud && pty.slaveBaud() != logic.baud()) {
            frame.garbled = true;  // the sensor's UART would only see noise
            logFrame(std::move(frame));
            return;
        }
        logFrame(std::move(frame));
        Reply reply = logic.handle(p.bytes, seconds(now));
        const std::optional<FaultRule> fault =
            faults.take(wordAt(p.bytes, 1), !reply.bytes.isEmpty());
        if (fault && fault->fault == Fault::HangUp) {
            dropLine();  // the request reached the sensor, the answer never leaves
            return;
        }
        if (reply.bytes.isEmpty()) return;
        // The reply follows the request's last byte on the line, however late this thread woke
        // up to act on it; bytes already due then leave at once.
        Clock::time_point at = p.due;
        if (pace) at += std::chrono::milliseconds(latencyMs);
        if (fault) {
            const auto delay = std::chrono::milliseconds(fault->delayMs);
            if (fault->fault == Fault::LateReply) at += delay;
            if (fault->fault == Fault::CutOff) cutOffAt = at + delay;
            reply.bytes = spoilReply(reply.bytes, reply.shape, fault->fault, rng);
        }
        if (fault && fault->fault == Fault::SplitReply) {
            const auto gap = std::chrono::milliseconds(fault->delayMs);
            for (int i = 0; i < reply.bytes.size(); ++i)
                queueReply(reply.bytes.mid(i, 1), at + gap * i);
        } else {
            queueReply(reply.bytes, at);
        }
        if (reply.newBaud > 0) logic.setBaud(reply.newBaud);  // the echo still left at the old rate
    }

    Clock::time_point nextRecordDue() const {
        const int period = logic.config().recordPeriodMs;
        if (!logic.recorderMode() || period <= 0 || !pty.isOpen() || !tx.empty()) {
            return Clock::time_point::max();
        }
        return std::max(lastRecordAt + std::chrono::milliseconds(period),
                        lastRequestAt + std::chrono::milliseconds(logic.config().recordQuietMs));
    }

    void sendRecord(Clock::time_point now) {
        lastRecordAt = now;
        ++recordsSent;
        queueReply(logic.recordReply(seconds(now)),
                   now + std::chrono::milliseconds(pace ? latencyMs : 0));
    }

    void writeDue(Clock::time_point now) {
        const QByteArray out = tx.due(now);
        if (out.isEmpty()) return;
        int done = 0;
        while (done < out.size()) {
            const ssize_t n = ::write(pty.masterFd(), out.constData() + done, out.size() - done);
            if (n > 0) {
                done += static_cast<int>(n);
            } else if (n < 0 && errno == EINTR) {
                continue;
            } else {
                // Nobody reads and the line buffer is full: the bytes are lost, as on a wire.
                break;
            }
        }
        tx.sent(out.size());
    }

    void work(Clock::time_point now) {
        if (cutOffAt <= now) dropLine();
        if (!pty.isOpen()) return;
        while (!pending.empty() && (wholeReplies || pending.front().due <= now) && pty.isOpen()) {
            const Pending p = pending.front();
            pending.pop_front();
            actOn(p, now);
        }
        if (!pty.isOpen()) return;
        for (; triggers > 0; --triggers) sendRecord(now);
        if (nextRecordDue() <= now) sendRecord(now);
        writeDue(now);
    }

    Clock::time_point nextEvent(Clock::time_point now) const {
        Clock::time_point next = now + kIdleWake;
        if (!pty.isOpen()) return next;
        if (!pending.empty()) next = std::min(next, pending.front().due);
        next = std::min(next, tx.nextDue());
        next = std::min(next, nextRecordDue());
        next = std::min(next, cutOffAt);
        return next;
    }

    void serve() {
        // Bytes are due to the microsecond; the default slack of 50 us on every timed wait would
        // make each paced reply late by that much.
        ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
        std::unique_lock<std::mutex> lk(mu);
        while (!stopRequested) {
            serviceCommands();
            Clock::time_point now = Clock::now();
            work(now);
            const Clock::time_point next = nextEvent(Clock::now());
            pollfd fds[2] = {{wakeFd, POLLIN, 0}, {pty.masterFd(), POLLIN, 0}};
            const int nfds = pty.isOpen() ? 2 : 1;
            const auto wait = std::max(Clock::duration::zero(), next - Clock::now());
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
            timespec ts{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
            lk.unlock();
            const int ready = ::ppoll(fds, nfds, &ts, nullptr);
            lk.lock();
            if (ready <= 0) continue;
            if (fds[0].revents & POLLIN) {
                std::uint64_t count = 0;
                [[maybe_unused]] ssize_t n = ::read(wakeFd, &count, sizeof count);
            }
            if (nfds == 2 && pty.isOpen()) {
                if (fds[1].revents & POLLIN) {
                    readInput(Clock::now());
                } else if (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL)) {
                    dropLine();  // the device broke under us; never spin on it
                }
            }
        }
    }
};

VirtualSensor::VirtualSensor(SensorConfig config) : d_(std::make_unique<Impl>(config)) {}

VirtualSensor::~VirtualSensor() {
    stop();
}

bool VirtualSensor::start() {
    std::unique_lock<std::mutex> lk(d_->mu);
    if (d_->running) return true;
    if (!d_->openLine()) return false;
    d_->wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (d_->wakeFd < 0) {
        d_->error = QStringLiteral("eventfd failed");
        d_->dropLine();
        return false;
    }
    d_->stopRequested = false;
    d_->running = true;
    d_->thread = std::thread([impl = d_.get()] { impl->serve(); });
    return true;
}

void VirtualSensor::stop() {
    std::thread worker;
    {
        std::unique_lock<std::mutex> lk(d_->mu);
        if (!d_->running) return;
        d_->stopRequested = true;
        d_->wake();
        worker = std::move(d_->thread);
    }
    worker.join();
    std::unique_lock<std::mutex> lk(d_->mu);
    d_->running = false;
    d_->dropLine();
    ::close(d_->wakeFd);
    d_->wakeFd = -1;
    d_->cv.notify_all();
}

bool VirtualSensor::running() const {
    std::lock_guard<std::mutex> lk(d_->mu);
    return d_->running;
}

QString VirtualSensor::devicePath() const {
    std::lock_guard<std::mutex> lk(d_->mu);
    return d_->path;
}

QString VirtualSensor::errorText() const {
    std::lock_guard<std::mutex> lk(d_->mu);
    return d_->error;
}

SensorConfig VirtualSensor::config() const {
    std::lock_guard<std::mutex> lk(d_->mu);
    return d_->logic.config();
}

std::uint16_t VirtualSensor::pixelCount() const {
    std::lock_guard<std::mutex> lk(d_->mu);
    return d_->logic.pixelCount();
}

void VirtualSensor::setFault(Fault fault, int commandCode, int count, int delayMs, int skip) {
    std::lock_guard<std::mutex> lk(d_->mu);
    d_->faults.add({fault, commandCode, count, delayMs, skip});
}

void VirtualSensor::clearFaults() {
    std::lock_guard<std::mutex> lk(d_->mu);
    d_->faults.clear();
}

void VirtualSensor::hangUp() {
    std::unique_lock<std::mutex> lk(d_->mu);
    d_->command(lk, &Impl::hangUpRequested);
}

QString VirtualSensor::reopen() {
    if (!running()) return start() ? devicePath() : QString();
    std::unique_lock<std::mutex> lk(d_->mu);
    d_->command(lk, &Impl::reopenRequested);
    return d_->pty.isOpen() ? d_->path : QString();
}

std::vector<ReceivedFrame> VirtualSensor::receivedFrames() const {
    std::lock_guard<std::mutex> lk(d_->mu);
    return {d_->log.begin(), d_->log.end()};
}

void VirtualSensor::clearReceivedFrames() {
    std::lock_guard<std::mutex> lk(d_->mu);
    d_->log.clear();
    d_->framesSinceClear = 0;
}

bool VirtualSensor::waitForFrames(std::size_t count, int timeoutMs) const {
    std::unique_lock<std::mutex> lk(d_->mu);
    return d_->cv.wait_for(lk, std::chrono::milliseconds(timeoutMs),
                           [&] { return d_->framesSinceClear >= count; });
}

ParamHalf VirtualSensor::ramHalf(int half) const {
    std::lock_guard<std::mutex> lk(d_->mu);
    return d_->logic.params().ram[half == 0 ? 0 : 1];
}

void VirtualSensor::setRamHalf(int half, const ParamHalf& words) {
    std::lock_guard<std::mutex> lk(d_->mu);
    d_->logic.params().ram[half == 0 ? 0 : 1] = words;
}

ParamHalf VirtualSensor::eepromHalf(int half) const {
    std::lock_guard<std::mutex> lk(d_->mu);
    return d_->logic.params().eeprom[half == 0 ? 0 : 1];
}

void VirtualSensor::setEepromHalf(int half, const ParamHalf& words) {
    std::lock_guard<std::mutex> lk(d_->mu);
    d_->logic.params().eeprom[half == 0 ? 0 : 1] = words;
}

Profile VirtualSensor::thresholds(int target) const {
    std::lock_guard<std::mutex> lk(d_->mu);
    return d_->logic.thresholds(target);
}

void VirtualSensor::setThresholds(int target, const Profile& words) {
    std::lock_guard<std::mutex> lk(d_->mu);
    d_->logic.thresholds(target) = words;
}

Profile VirtualSensor::lastVideo() const {
    std::lock_guard<std::mutex> lk(d_->mu);
    return d_->logic.lastVideo();
}

std::vector<std::uint16_t> VirtualSensor::xflash() const {
    std::lock_guard<std::mutex> lk(d_->mu);
    return d_->logic.xflash();
}

bool VirtualSensor::calibrating() const {
    std::lock_guard<std::mutex> lk(d_->mu);
    return d_->logic.calibrating();
}

void VirtualSensor::setMeasurement(std::uint16_t left, std::uint16_t right,
                                   std::uint16_t edgeCount) {
    std::lock_guard<std::mutex> lk(d_->mu);
    d_->logic.measurement().pin(left, right, edgeCount);
}

void VirtualSensor::freezeMeasurement() {
    std::lock_guard<std::mutex> lk(d_->mu);
    d_->logic.measurement().pinHere();
}

void VirtualSensor::resumeMeasurement() {
    std::lock_guard<std::mutex> lk(d_->mu);
    d_->logic.measurement().resume();
}

std::uint16_t VirtualSensor::measuredValue() const {
    std::lock_guard<std::mutex> lk(d_->mu);
    return d_->logic.measurement().measured(d_->logic.params());
}

bool VirtualSensor::triggerRecord() {
    std::lock_guard<std::mutex> lk(d_->mu);
    if (!d_->running || !d_->pty.isOpen()) return false;
    ++d_->triggers;
    d_->wake();
    return true;
}

long VirtualSensor::recordsSent() const {
    std::lock_guard<std::mutex> lk(d_->mu);
    return d_->recordsSent;
}

int VirtualSensor::currentBaud() const {
    std::lock_guard<std::mutex> lk(d_->mu);
    return d_->logic.baud();
}

void VirtualSensor::setPacing(bool pace, int latencyMs) {
    std::lock_guard<std::mutex> lk(d_->mu);
    d_->pace = pace;
    d_->latencyMs = latencyMs;
}

}  // namespace korvo::sim
