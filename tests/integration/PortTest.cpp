// The port layer and the pump's waits, with the test playing the sensor's end of the line.

#include <unistd.h>

#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>
#include <thread>
#include <utility>

#include "LinkRig.h"
#include "core/link/ComPort.h"
#include "core/link/PortSettings.h"
#include "support/TimeScale.h"

namespace korvo::test {
namespace {

using std::chrono::milliseconds;

// Word i of the newest frame the port took in (0 when it has none).
std::uint16_t newestWord(ComPort& port, int i) {
    const ComPort::ReceivedFrame* f = port.frame(port.framesReceived());
    return f ? frameWord(f->bytes, i) : 0;
}

TEST_F(BarePty, ReadKeepsOneBufferAndDiscardsTheRest) {
    ComPort port(1);
    ASSERT_EQ(port.open(path, 115200, 8192), 0);
    QByteArray stream(5000, 'a');
    stream[4095] = 'z';
    stream[4096] = 'q';
    sensorWrites(stream);
    pump.delay(0.2);
    ASSERT_EQ(port.inQLen(), 5000);
    const QByteArray got = port.read(5000);
    EXPECT_EQ(got.size(), kLinkBufferSize);
    EXPECT_EQ(got.back(), 'z');
    EXPECT_EQ(port.inQLen(), 0);  // the rest is discarded, not left for the next reply
}

// A reply's tail is discarded (LineFaults' long and stray-byte replies) and fewer than 36 bytes
// raise nothing (LineFaults' short reply); a second reply right behind the first is kept, also
// when it arrives in two pieces.
TEST_F(BarePty, CallbackKeepsASecondReplyRightBehindTheFirst) {
    ComPort port(1);
    ASSERT_EQ(port.open(path, 19200, 1024), 0);
    port.installCallback(true);
    const QByteArray second = frameHex("00AA 000B 0007");
    sensorWrites(frameHex("00AA 0008 0005") + second.left(10));
    pump.delay(0.1);
    EXPECT_EQ(port.framesReceived(), 1u);
    EXPECT_EQ(newestWord(port, 2), 5);
    sensorWrites(second.mid(10));
    pump.delay(0.1);
    EXPECT_EQ(port.framesReceived(), 2u);
    EXPECT_EQ(newestWord(port, 2), 7);
    EXPECT_EQ(port.inQLen(), 0);
    EXPECT_EQ(port.framesDropped(), 2u);  // no exchange asked for them
}

// The triggered recorder's wait takes each unasked record once, in order: past frames no longer
// kept and past one another exchange already took.
TEST_F(BarePty, UnaskedRecordsAreTakenOnceEachPastFramesNoLongerKept) {
    linkUp();
    QByteArray burst;
    for (int i = 1; i <= ComPort::kKeptFrames + 3; ++i) {
        QByteArray record = frameHex("00AA 0012");
        record[5] = static_cast<char>(i);  // word 2 numbers them
        burst += record;
    }
    sensorWrites(burst);
    pc->pump.delay(0.2);
    pc->bank.port(1)->frame(ComPort::kKeptFrames + 2)->taken = true;
    std::vector<int> got;
    for (std::uint64_t next = 1;
         pc->scope.awaitUnasked(1, next, pc->pump.now() + 0.05) == WaitOutcome::Reply;)
        got.push_back(frameWord(pc->scope.link.rxBuf, 2));
    EXPECT_EQ(got, (std::vector<int>{4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 19}));
}

TEST_F(BarePty, FramesBeyondAFullDriverQueueStillLeaveInOrder) {
    ComPort port(1);
    ASSERT_EQ(port.open(path, 115200, 4096), 0);
    // Far more than the driver holds is written while nobody reads; then the sensor takes some
    // bytes, so the driver has room before the port sent what waits: later frames must not
    // overtake it.
    QByteArray sent;
    std::uint8_t frame[kFrameBytes] = {};
    const auto writeFrames = [&](int from, int to) {
        for (int i = from; i < to; ++i) {
            frame[0] = static_cast<std::uint8_t>(i >> 8);
            frame[1] = static_cast<std::uint8_t>(i & 0xFF);
            frame[35] = static_cast<std::uint8_t>(i * 7);
            ASSERT_EQ(port.write(frame, kFrameBytes), kFrameBytes) << "frame " << i;
            sent.append(reinterpret_cast<const char*>(frame), kFrameBytes);
        }
    };
    writeFrames(0, 3000);
    QByteArray got(8192, '\0');
    const ssize_t early = ::read(master, got.data(), got.size());
    ASSERT_GT(early, 0);
    got.resize(static_cast<int>(early));
    std::this_thread::sleep_for(milliseconds(20));
    writeFrames(3000, 6000);
    got += sensorReads(sent.size() - got.size());
    ASSERT_EQ(got.size(), sent.size());
    EXPECT_TRUE(got == sent) << "bytes arrived out of order";
    EXPECT_FALSE(port.isBroken());  // a full queue is no lost device
    EXPECT_TRUE(port.isOpen());
}

// A full queue leaves the port hearing, and emptying both queues discards bytes wherever they
// wait; the next frame then arrives whole.
TEST_F(BarePty, FullOrEmptiedQueuesLeaveThePortHearingTheNextFrameWhole) {
    ComPort port(1);
    EXPECT_EQ(port.flushInThenOut(), kErrPortNotOpen);
    ASSERT_EQ(port.open(path, 19200, 64), 0);
    sensorWrites(QByteArray(200, 'x'));  // more than the queue holds, nobody takes frames
    pump.delay(0.1);
    EXPECT_EQ(port.inQLen(), 64);
    EXPECT_EQ(port.read(port.inQLen()).size(), 64);
    port.flushIn();

    sensorWrites(QByteArray(50, 'a'));  // already taken in by the port
    pump.delay(0.05);
    ASSERT_EQ(port.inQLen(), 50);
    EXPECT_EQ(port.flushInThenOut(), 0);
    EXPECT_EQ(port.inQLen(), 0);
    sensorWrites(QByteArray(40, 'b'));  // still in the driver: no event has run since
    std::this_thread::sleep_for(milliseconds(30));
    EXPECT_EQ(port.flushInThenOut(), 0);
    pump.delay(0.05);
    EXPECT_EQ(port.inQLen(), 0);

    port.installCallback(true);
    sensorWrites(frameHex("00AA 0008 4321"));
    pump.delay(0.1);
    EXPECT_EQ(port.framesReceived(), 1u);
    EXPECT_EQ(newestWord(port, 2), 0x4321);
}

// Waits up to `seconds`, cut short by an event due after `eventMs`.
void waitCutShort(QtPump& pump, double seconds, int eventMs) {
    QObject context;
    bool fired = false;
    QTimer::singleShot(eventMs, &context, [&fired] { fired = true; });
    const double deadline = pump.now() + seconds;
    while (!fired && pump.now() < deadline) pump.waitForEvents(deadline);
    ASSERT_TRUE(fired);
}

TEST(PumpWait, EachWaitEndsByItsOwnDeadlineAndSleeps) {
    QtPump pump;
    for (int round = 0; round < 3; ++round) {
        waitCutShort(pump, 0.8, 5);  // may leave a wake-up 0.8 s ahead behind
        const double start = pump.now();
        pump.delay(0.05);
        EXPECT_GE(pump.now() - start, 0.05);
        EXPECT_LT(pump.now() - start, 0.05 + 0.15 * timeScale()) << "round " << round;
    }
    for (int i = 0; i < 20; ++i) waitCutShort(pump, 0.03 + 0.01 * i, 1);
    const double cpuBefore = threadCpuSeconds();
    const double start = pump.now();
    pump.delay(0.4);
    EXPECT_GE(pump.now() - start, 0.4);
    EXPECT_LT(pump.now() - start, 0.4 + 0.1 * timeScale());
    EXPECT_LT(threadCpuSeconds() - cpuBefore, 0.04 * timeScale())
        << "the wait must sleep, not spin";
}

// Replies already in the driver before a wait starts running events.
TEST(AwaitReply, AnAnswerQueuedBeforeTheWaitCountsEvenPastTheLimit) {
    LinkRig rig;
    rig.open();
    rig.sensor().clearReceivedFrames();
    ASSERT_EQ(rig.scope.sendRequest(1, 5, 0), kFrameBytes);
    ASSERT_TRUE(rig.sensor().waitForFrames(1, 1000));
    std::this_thread::sleep_for(milliseconds(30));
    EXPECT_TRUE(rig.scope.awaitReply(1, rig.pump.now() - 1.0, 0.5));
    EXPECT_EQ(rig.scope.link.replyKind, kReplyEcho);

    // Taken once: nothing new has come, and the limit has passed, so the wait is over at once.
    const double start = rig.pump.now();
    EXPECT_FALSE(rig.scope.awaitReply(1, start - 1.0, 0.5));
    EXPECT_LT(rig.since(start), 0.05 * timeScale());
}

// A clock the test sets, over the real event loop: a wait sees exactly the times it is given.
class ScriptedClock final : public Pump {
public:
    explicit ScriptedClock(QtPump& real) : real_(real) {}
    // A wait that never sleeps would hold this clock still for ever: it fails, and time jumps on.
    void processEvents() override {
        real_.processEvents();
        if (++polls_ % 100000 == 0) {
            ADD_FAILURE() << "the wait spins instead of sleeping";
            time += 10.0;
        }
    }
    // The sensor's answer goes out only once the wait decides to go on waiting; then time moves.
    void waitForEvents(double) override {
        if (onWait) std::exchange(onWait, nullptr)();
        real_.delay(0.05);
        time += 0.5;
    }
    double now() const override { return time; }
    double time = 0.0;
    std::function<void()> onWait;

private:
    QtPump& real_;
    long polls_ = 0;
};

TEST_F(BarePty, AReplyAtExactlyTheLimitCountsOnlyUnderTheStrictRule) {
    ScriptedClock clock(pump);
    linkUp(&clock);
    PortSensor& s = pc->scope;
    const struct {
        LimitRule rule;
        double elapsed;
        bool taken;
    } cases[] = {{LimitRule::Strict, 1.0, true},
                 {LimitRule::Strict, 1.001, false},
                 {LimitRule::Inclusive, 1.0, false},
                 {LimitRule::Inclusive, 0.999, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.elapsed);
        ASSERT_EQ(s.sendRequest(1, 11, 0), kFrameBytes);
        sensorReads(kFrameBytes);
        clock.time = 10.0 + c.elapsed;
        clock.onWait = [this] { sensorWrites(frameHex("00AA 000B")); };
        EXPECT_EQ(s.awaitReply(1, 10.0, 1.0, c.rule), c.taken);
        clock.onWait = nullptr;
        pump.delay(0.05);
        pc->bank.flushIn(1);
    }
}

}  // namespace
}  // namespace korvo::test
