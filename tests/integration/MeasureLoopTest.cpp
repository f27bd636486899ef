// The run and video loops against the virtual sensor: a stop (time-outs and hang-ups are in
// FaultTest), what every request carries, exchanges nested in a run, and failed profile blocks.

#include <QObject>
#include <QTimer>
#include <algorithm>

#include "LinkRig.h"
#include "core/measure/MeasureLoops.h"

namespace korvo::test {
namespace {

class MeasureLoop : public OpenRig {
protected:
    MeasureLoops loops() { return MeasureLoops(rig->scope); }
    QObject context;
};

// Stopped by the operator: every request after the first carries the current para0, and exchanges
// nested in the run hand the line back and are never shown as a measurement.
TEST_F(MeasureLoop, RunStopsOnRequestAsksWithTheCurrentPara0AndLendsTheLineToNestedExchanges) {
    rig->sensor().setMeasurement(300, 500);
    int resets = 0;
    std::vector<int> shown;
    QTimer::singleShot(100, &context, [&] { resets += rig->scope.ResetMaxMin(1); });
    QTimer::singleShot(150, &context, [&] { rig->scope.params.power = 777; });
    QTimer::singleShot(200, &context, [&] { resets += rig->scope.ResetMaxMin(1); });
    QTimer::singleShot(300, &context, [&] { rig->sensor().setMeasurement(310, 500); });
    QTimer::singleShot(400, &context, [&] { rig->scope.link.stopFlag = kStopByUser; });
    MeasureLoops m = loops();
    EXPECT_EQ(m.run(1, [&](const RunRecord& r) { shown.push_back(r.leftEdge); }), kStopByUser);
    EXPECT_EQ(resets, 2);
    EXPECT_GT(m.samples(), 10);
    EXPECT_GT(shown.size(), 10u);
    // Each answer's own edge, not the first answer's again.
    EXPECT_EQ(
        std::count(shown.begin(), shown.end(), 300) + std::count(shown.begin(), shown.end(), 310),
        std::ssize(shown));
    EXPECT_EQ(shown.back(), 310);
    const QByteArray last = rig->sensor().receivedFrames().back().bytes;
    EXPECT_EQ(frameHex("0055 0008 0000 0309").left(8), last.left(8));  // Power 777 in word 3
}

TEST_F(MeasureLoop, AFailedBlockSkipsOnlyThatCyclesDrawing) {
    rig->sensor().setFault(Fault::ShortReply, 9, 1, 0, 1);  // the first cycle's second block
    rig->sensor().clearReceivedFrames();
    int cycles = 0;
    MeasureLoops m = loops();
    const int stop = m.video(1, [&](const RunRecord&) {
        if (++cycles == 2) rig->scope.link.stopFlag = kStopByUser;
    });
    EXPECT_EQ(stop, kStopByUser);
    EXPECT_EQ(requestCount(rig->sensor(), 8), 3);
    EXPECT_EQ(requestCount(rig->sensor(), 9), 2 + 4 + 4);
    EXPECT_EQ(rig->scope.video.video, rig->sensor().lastVideo());
    EXPECT_TRUE(rig->bank.port(1)->callbackInstalled());

    // Every block too long: with a limit, three failed cycles in a row end the loop with the
    // block's own message.
    rig->sensor().setFault(Fault::LongReply, 9, -1);
    rig->sensor().clearReceivedFrames();
    cycles = 0;
    EXPECT_EQ(m.video(
                  1, [&](const RunRecord&) { ++cycles; }, 3),
              kStopRunTimeout);
    EXPECT_EQ(cycles, 0);
    EXPECT_EQ(m.failedCycles(), 3);
    EXPECT_EQ(requestCount(rig->sensor(), 8), 3);
    EXPECT_EQ(rig->scope.link.statusText, QStringLiteral("More than 64 data-words !"));
    EXPECT_TRUE(rig->bank.port(1)->callbackInstalled());
}

}  // namespace
}  // namespace korvo::test
