// Whose answer a wait takes: only its own port's, only one that can answer its request, never
// a late answer to an earlier request, never one that a nested exchange is waiting for.

#include <QObject>
#include <QTimer>

#include "LinkRig.h"
#include "core/link/PortSettings.h"
#include "support/TimeScale.h"

namespace korvo::test {
namespace {

TEST(Routing, AnAnswerOnAnotherPortNeverCompletesAWait) {
    LinkRig rig(std::vector<sim::SensorConfig>(2));
    rig.open(1);
    rig.open(2);
    rig.sensor(0).setFault(Fault::NoReply, 16, 1);
    // COM2's sensor answers its line check while COM1's teach-in waits.
    ASSERT_EQ(rig.scope.sendRequest(2, 5, 0), kFrameBytes);
    EXPECT_EQ(rig.scope.ActivateTeach(1, 512, 100, 100), 0);
    EXPECT_EQ(rig.scope.link.mplexStatusText, QStringLiteral("Timeout RS-232!"));
    EXPECT_EQ(rig.scope.droppedFrames(2), 1u);
}

TEST(Routing, ALateParameterHalfIsNeverTakenForTheNextOne) {
    LinkRig rig;
    rig.open();
    PortSensor& s = rig.scope;
    ASSERT_EQ(s.GetParamHalf(kMemoryRam, 1, 1, s.params), 1);
    const ParamSet truth = rig.scope.params;
    rig.scope.params = ParamSet{};

    // A second is the limit, and the wait sleeps through it.
    rig.sensor().setFault(Fault::LateReply, 2, 1, 1150);
    const double start = rig.pump.now();
    const double cpuBefore = threadCpuSeconds();
    EXPECT_EQ(s.GetParamHalf(kMemoryRam, 0, 1, s.params), -1);
    EXPECT_GT(rig.since(start), 1.0);
    EXPECT_LT(rig.since(start), 1.0 + 0.15 * timeScale());
    EXPECT_LT(threadCpuSeconds() - cpuBefore, 0.1 * timeScale()) << "the wait must sleep, not spin";
    EXPECT_EQ(rig.scope.link.statusText, QStringLiteral("Timeout-RS-232..."));
    // It waits for the late para0 answer first, until it came, not the whole second after.
    EXPECT_EQ(s.GetParamHalf(kMemoryRam, 1, 1, s.params), 1);
    EXPECT_LT(rig.since(start), 1.15 + 0.35 * timeScale());
    EXPECT_EQ(rig.scope.params, truth);
    EXPECT_EQ(s.droppedFrames(1), 1u);
    // An answer owed to a still earlier request, coming meanwhile, does not end that wait: the
    // raw data come at 1.5 s, para0 at 2.15 s, and para1 is sent only after that.
    rig.sensor().setFault(Fault::LateReply, 8, 1, 1500);
    rig.sensor().setFault(Fault::LateReply, 2, 1, 1150);
    EXPECT_EQ(s.PushGETRAW(1), 0);
    EXPECT_EQ(s.GetParamHalf(kMemoryRam, 0, 1, s.params), -1);
    EXPECT_EQ(s.GetParamHalf(kMemoryRam, 1, 1, s.params), 1);
    EXPECT_EQ(rig.scope.params, truth);
    EXPECT_EQ(s.droppedFrames(1), 3u);

    // A late echo of another command does not confirm a baud-rate change.
    rig.sensor().setFault(Fault::LateReply, 2, 1, 1150);
    rig.sensor().setFault(Fault::NoReply, 190, 1);
    EXPECT_EQ(s.GetParamHalf(kMemoryRam, 0, 1, s.params), -1);
    EXPECT_EQ(s.ChangeBaudRate(1, 4), 0);
    EXPECT_TRUE(
        rig.sink.saw(QStringLiteral("Timeout: changing RS-232-baudrate..."), StatusLine::Both));
    EXPECT_EQ(rig.bank.port(1)->baudRate(), 19200);
    EXPECT_TRUE(rig.bank.isOpen(1));
    EXPECT_EQ(s.droppedFrames(1), 4u);
}

TEST(Routing, AnExchangeNestedInAWaitIsRefusedUnlessTheWaitYields) {
    LinkRig rig;
    rig.open();
    PortSensor& s = rig.scope;
    QObject context;

    // Inside the wait: a reset, and a firmware text that shows the refusal itself.
    int nested = 99, text = 99;
    bool busyShown = false;
    rig.sensor().setFault(Fault::LateReply, 2, 1, 300);
    QTimer::singleShot(50, &context, [&] { nested = s.ResetMaxMin(1); });
    QTimer::singleShot(100, &context, [&] {
        rig.sink.clear();
        s.link.setStatus(QString());  // not the text the refused reset left
        text = s.GetVERSIONInfo(1);
        busyShown = rig.sink.saw(QStringLiteral("RS-232 line busy!"));
    });
    EXPECT_EQ(s.GetParamHalf(kMemoryRam, 0, 1, s.params), 1);  // its own answer, not theirs
    EXPECT_EQ(nested, -1);
    EXPECT_EQ(text, 0);
    EXPECT_TRUE(busyShown);

    // A measurement loop's wait hands the port to the nested exchange and gets it back.
    rig.sensor().setFault(Fault::NoReply, 8, 1);
    rig.scope.link.stopFlag = kStopRunning;
    ASSERT_EQ(s.sendRequest(1, 8, 0), kFrameBytes);
    QTimer::singleShot(50, &context, [&] { nested = s.ResetMaxMin(1); });  // inside the wait
    const double start = rig.pump.now();
    EXPECT_EQ(s.awaitFrame(1, start, kReplyLimit, LimitRule::Strict, true), WaitOutcome::Resumed);
    EXPECT_EQ(nested, 1);
    EXPECT_LT(rig.since(start), 0.5 * timeScale());
}

}  // namespace
}  // namespace korvo::test
