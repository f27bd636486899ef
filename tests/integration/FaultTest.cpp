// Faults on the line and how each ends: time-outs, replies of the wrong shape, replies that come
// byte by byte, stray bytes around replies, and a sensor that hangs up (idle, or in the middle of
// GET, SEND or a run) and comes back. Each ends in the right data or a clear message, never in
// wrong data taken for good.

#include <QTimer>
#include <functional>

#include "LinkRig.h"
#include "core/link/Frame.h"
#include "core/measure/MeasureLoops.h"
#include "support/TimeScale.h"

namespace korvo::test {
namespace {

// An echo as the sensor sends it: sync word, code, argument, the 15 words of a parameter half.
QByteArray echoBytes(std::uint16_t code, std::uint16_t arg, const sim::ParamHalf& words) {
    QByteArray hex = QByteArray("00AA ") + QByteArray::number(code, 16).rightJustified(4, '0') +
                     ' ' + QByteArray::number(arg, 16).rightJustified(4, '0');
    for (std::uint16_t w : words) hex += ' ' + QByteArray::number(w, 16).rightJustified(4, '0');
    return frameHex(hex.constData());
}

class LineFaults : public OpenRig {
protected:
    QByteArray lastReply() const {
        return QByteArray(reinterpret_cast<const char*>(rig->scope.link.rxBuf.data()), kFrameBytes);
    }
    // Half `half` of the PC's parameter set, as a SEND writes it.
    sim::ParamHalf pcHalf(int half) {
        return packedHalf(rig->scope.params, static_cast<std::uint16_t>(half),
                          rig->scope.model.pixelCount);
    }
    // A run on COM1 stopped after `records` records (or ended by the line): its end and the
    // records shown.
    int runFor(int records, std::vector<RunRecord>& shown) {
        MeasureLoops loops(rig->scope);
        return loops.run(1, [&](const RunRecord& r) {
            shown.push_back(r);
            if (static_cast<int>(shown.size()) == records) rig->scope.link.stopFlag = kStopByUser;
        });
    }
    // The sensor back on a new device, the port map naming it, COM1 opened again.
    void reopen() {
        ASSERT_FALSE(rig->sensor().reopen().isEmpty());
        rig->rewriteMap();
        rig->open();
    }
    void expectOnlyTheRealMeasurement(const std::vector<RunRecord>& shown) {
        for (const RunRecord& r : shown) {
            EXPECT_EQ(r.leftEdge, 300);
            EXPECT_EQ(r.rightEdge, 500);
        }
    }
};

TEST_F(LineFaults, EachExchangeReportsItsOwnTimeout) {
    PortSensor& s = rig->scope;
    const QString dots = QStringLiteral("Timeout-RS-232...");
    const QString line = QStringLiteral("Timeout RS232-Line!");
    struct Case {
        int code;
        std::function<int()> call;
        int result, stopAfter;
        const QString& text;
    };
    const Case cases[] = {
        {8, [&] { return s.PushGETRAW(1); }, 0, kStopByUser, line},
        {18, [&] { return s.RequestRecordSample(1); }, -1, kStopRecordTimeout, line},
        {6, [&] { return s.TeachSetpoint(1); }, -1, kStopByUser, line},
        {11, [&] { return s.ResetMaxMin(1); }, -1, kStopByUser, dots},
        {12, [&] { return s.ActivateCalibration(1); }, -1, kStopRunning, dots},
        {13, [&] { return s.ActivateAutoThdSave(1, 70, 1); }, -1, kStopRunning, dots},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        rig->sensor().setFault(Fault::NoReply, c.code, 1);
        rig->scope.link.stopFlag = kStopRunning;
        rig->scope.link.statusText.clear();
        rig->sink.clear();
        EXPECT_EQ(c.call(), c.result);
        EXPECT_EQ(rig->scope.link.stopFlag, c.stopAfter);
        EXPECT_EQ(rig->scope.link.statusText, c.text);
        EXPECT_EQ(rig->sink.last(), c.text);  // the time-out is shown, not the progress text
    }
    EXPECT_EQ(rig->scope.link.replyKind, kReplyNone);  // no loop left to resume

    // The teach-in's time-out, which shares TEST's code: Routing.
    rig->sensor().setFault(Fault::NoReply, 16, 1);
    double start = rig->pump.now();
    EXPECT_EQ(s.TestBUTTON(1, 512, 100, 100), 0);
    EXPECT_GT(rig->since(start), 0.5);
    EXPECT_LT(rig->since(start), 0.5 + 0.15 * timeScale());
    EXPECT_EQ(rig->scope.link.statusText, dots);

    rig->sensor().setFault(Fault::NoReply, 5, 1);
    start = rig->pump.now();
    EXPECT_EQ(s.Check232Line(1), -1);
    EXPECT_LT(rig->since(start), 0.5 + 0.15 * timeScale());
    EXPECT_EQ(rig->scope.link.mplexStatusText, QStringLiteral("Timeout RS-232!"));
    EXPECT_EQ(rig->scope.link.statusText, QStringLiteral("Timeout RS-232!"));

    // A baud-rate change that times out: RoutingTest.
}

TEST_F(LineFaults, RepliesAndBlocksOfTheWrongLengthAndMissingSync) {
    PortSensor& s = rig->scope;
    // 40 bytes: the first frame counts, nothing of the rest reaches the next reply.
    rig->sensor().setFault(Fault::LongReply, 8, 1);
    rig->sensor().setMeasurement(120, 340);
    ASSERT_EQ(s.PushGETRAW(1), 8);
    EXPECT_EQ(rig->scope.link.dataWords[0], 120);
    EXPECT_EQ(rig->scope.link.dataWords[1], 340);
    rig->pump.delay(0.05);
    EXPECT_EQ(rig->bank.inQLen(1), 0);
    ASSERT_EQ(s.CheckComLine(1), 1);
    EXPECT_EQ(rig->scope.link.serialNumber, 4711);

    // 35 bytes time out and are flushed by the next exchange.
    rig->sensor().setFault(Fault::ShortReply, 5, 1);
    EXPECT_EQ(s.CheckComLine(1), -1);
    EXPECT_TRUE(rig->sink.saw(QStringLiteral("Timeout-RS-232..."), StatusLine::Both));
    EXPECT_EQ(s.CheckComLine(1), 1);
    EXPECT_EQ(rig->scope.link.statusText, QStringLiteral("Echo Check - Line Ok!   SN:4711"));

    rig->sensor().setFault(Fault::NoSync, 5, 2);
    EXPECT_EQ(s.CheckComLine(1), 0);
    EXPECT_TRUE(
        rig->sink.saw(QStringLiteral("read error - not sync byte 0xAA!"), StatusLine::Both));
    EXPECT_EQ(s.Check232Line(1), 0);
    EXPECT_EQ(rig->scope.link.mplexStatusText, QStringLiteral("ERROR,no sync byte!"));
    EXPECT_EQ(rig->scope.link.statusText, QStringLiteral("ERROR,no sync byte!"));

    // Firmware text of 60 and of more than 72 bytes.
    rig->sensor().setFault(Fault::ShortReply, 7, 1);
    EXPECT_EQ(s.GetVERSIONInfo(1), 60);
    EXPECT_TRUE(rig->scope.link.firmwareText.startsWith(QLatin1String("KORVO-KM")));
    rig->sensor().setFault(Fault::LongReply, 7, 1);
    EXPECT_GE(s.GetVERSIONInfo(1), 72);
    EXPECT_LE(rig->scope.link.firmwareText.size(), 72);
    EXPECT_TRUE(rig->bank.port(1)->callbackInstalled());
    EXPECT_EQ(rig->bank.inQLen(1), 0);

    // Blocks of the wrong length stop the run.
    rig->sensor().clearReceivedFrames();
    rig->scope.video.video.fill(0x5555);
    rig->sensor().setFault(Fault::LongReply, 9, 1);  // 130 bytes
    EXPECT_EQ(s.readBlockRun(1, 0), 0);
    EXPECT_EQ(rig->scope.link.statusText, QStringLiteral("More than 64 data-words !"));
    EXPECT_EQ(rig->sensor().receivedFrames().size(), 1u);  // blocks 1..3 not requested
    rig->sensor().clearReceivedFrames();
    EXPECT_EQ(rig->scope.video.video[0], 0x5555);
    EXPECT_TRUE(rig->bank.port(1)->callbackInstalled());

    rig->sensor().setFault(Fault::ShortReply, 9, 1);  // 100 bytes
    const double start = rig->pump.now();
    EXPECT_EQ(s.readBlockRun(1, 0), 0);
    EXPECT_GT(rig->since(start), 1.0);
    EXPECT_EQ(rig->scope.link.statusText,
              QStringLiteral("Timeout-RS-232 while reading 64 data-words!"));
    EXPECT_EQ(rig->scope.video.video[63], 0x5555);
    EXPECT_EQ(s.PushGETRAW(1), 8);  // the callback is back
}

TEST_F(LineFaults, RepliesInSingleBytesArriveWhole) {
    PortSensor& s = rig->scope;
    rig->sensor().setFault(Fault::SplitReply, -1, -1, 2);  // every reply, 2 ms between bytes
    for (std::uint16_t half = 0; half < 2; ++half) {
        const double start = rig->pump.now();
        ASSERT_EQ(s.GetParamHalf(kMemoryRam, half, 1, s.params), 1);
        EXPECT_GE(rig->since(start), 0.07);  // 35 gaps
        EXPECT_EQ(lastReply(), echoBytes(2, half, rig->sensor().ramHalf(half)));
    }
    EXPECT_EQ(s.readBlockRun(1, 0), 1);
    EXPECT_EQ(rig->scope.video.video, rig->sensor().lastVideo());

    rig->sensor().setMeasurement(300, 500);
    std::vector<RunRecord> shown;
    EXPECT_EQ(runFor(8, shown), kStopByUser);
    EXPECT_EQ(shown.size(), 8u);
    expectOnlyTheRealMeasurement(shown);
}

// Stray bytes after a reply are not part of it; stray bytes before it shift its words, and such a
// frame names neither the request nor starts with the sync word: it is dropped and the exchange
// times out. Random bytes in place of the reply likewise. Run mode never shows any of them.
TEST_F(LineFaults, StrayBytesAndGarbageNeverPassForData) {
    PortSensor& s = rig->scope;
    rig->sensor().setMeasurement(300, 500);
    const struct {
        Fault fault;
        bool survived;
    } cases[] = {{Fault::StrayAfter, true}, {Fault::StrayFirst, false}, {Fault::Garbage, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.fault));
        rig->scope.params = ParamSet{};
        const ParamSet before = rig->scope.params;
        // A GET, then a SEND of what it got: a request of another code does not wait for the
        // answer that a failed one still owes.
        rig->sensor().setFault(c.fault, 2, 1);
        const int got = s.GetParamHalf(kMemoryRam, 0, 1, s.params);
        rig->sensor().setFault(c.fault, 1, 1);
        const sim::ParamHalf stored = rig->sensor().ramHalf(0);
        const int sent = s.SendParamHalf(kMemoryRam, 0, 1);
        EXPECT_EQ(got, c.survived ? 1 : -1);
        EXPECT_EQ(sent, c.survived ? 1 : -1);
        if (c.survived) {
            EXPECT_EQ(pcHalf(0), stored);
            EXPECT_EQ(rig->sensor().ramHalf(0), stored);  // the same set went back
        } else {
            EXPECT_EQ(rig->scope.link.statusText, QStringLiteral("Timeout-RS-232..."));
            EXPECT_EQ(rig->scope.params, before);
        }
        rig->pump.delay(0.05);
        EXPECT_EQ(s.CheckComLine(1), 1);  // the line itself is fine

        // Run mode: the fourth reply is spoilt.
        rig->sensor().setFault(c.fault, 8, 1, 0, 3);
        std::vector<RunRecord> shown;
        const double start = rig->pump.now();
        const int end = runFor(8, shown);
        expectOnlyTheRealMeasurement(shown);
        EXPECT_EQ(end, c.survived ? kStopByUser : kStopRunTimeout);
        EXPECT_EQ(shown.size(), c.survived ? 8u : 3u);
        if (!c.survived) {
            EXPECT_GT(rig->since(start), 1.0);  // the run waits its second for the spoilt reply
            EXPECT_EQ(rig->scope.link.statusText, QStringLiteral("Timeout RS232-Line!"));
        }
        rig->sensor().clearFaults();
    }
}

// The sensor answers the first half, then hangs up: on the second half's request, or half-way
// through its reply. The exchange fails at once with the device's reason; the PC's set takes
// nothing of the broken reply; after the sensor is back and the port reopened, GET and SEND
// work again. Likewise a hang-up while idle, and one in the middle of a run.
TEST_F(LineFaults, HangUpInTheMiddleOfGetOrSendThenReopen) {
    PortSensor& s = rig->scope;
    const struct {
        bool send;
        Fault fault;
    } cases[] = {{false, Fault::HangUp},
                 {false, Fault::CutOff},
                 {true, Fault::HangUp},
                 {true, Fault::CutOff}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << (c.send ? "SEND " : "GET ") << static_cast<int>(c.fault));
        const int code = c.send ? 1 : 2;
        rig->scope.params = ParamSet{};
        rig->scope.params.power = 555;
        rig->scope.params.umSlope = 1234;
        const sim::ParamHalf ours1 = pcHalf(1);
        rig->sensor().setFault(c.fault, code, 1, 150, 1);
        const auto exchange = [&](std::uint16_t half) {
            return c.send ? s.SendParamHalf(kMemoryRam, half, 1)
                          : s.GetParamHalf(kMemoryRam, half, 1, s.params);
        };
        ASSERT_EQ(exchange(0), 1);
        // What the PC holds while the cut reply waits for bytes that never come.
        int queuedMidway = -1;
        QObject context;
        QTimer::singleShot(60, &context, [&] { queuedMidway = rig->bank.inQLen(1); });
        const double start = rig->pump.now();
        EXPECT_EQ(exchange(1), -1);
        EXPECT_LT(rig->since(start), 0.15 + 0.3 * timeScale());
        EXPECT_EQ(rig->scope.link.statusText, QStringLiteral("Timeout-RS-232..."));
        EXPECT_TRUE(rig->bank.isBroken(1));
        EXPECT_FALSE(rig->bank.isOpen(1));
        EXPECT_FALSE(rig->bank.errorDetail(1).isEmpty());
        if (c.fault == Fault::CutOff) {
            EXPECT_EQ(queuedMidway, kFrameBytes / 2);
        }
        if (!c.send) {
            EXPECT_EQ(pcHalf(1), ours1);
        }

        reopen();
        for (std::uint16_t half = 0; half < 2; ++half) {
            ASSERT_EQ(exchange(half), 1);
            EXPECT_EQ(rig->sensor().ramHalf(half), pcHalf(half));
        }
    }

    // No event runs between the hang-up and the request: the write itself meets the dead line.
    rig->sensor().hangUp();
    double start = rig->pump.now();
    EXPECT_EQ(s.PushGETRAW(1), 0);
    EXPECT_LT(rig->since(start), 0.3 * timeScale());
    EXPECT_TRUE(rig->bank.isBroken(1));
    EXPECT_FALSE(rig->bank.isOpen(1));

    // Hung up while idle: every later exchange fails at once.
    reopen();
    rig->sensor().hangUp();
    rig->pump.delay(0.2);
    EXPECT_TRUE(rig->bank.isBroken(1));
    start = rig->pump.now();
    EXPECT_EQ(s.PushGETRAW(1), 0);
    EXPECT_EQ(s.GetVERSIONInfo(1), 0);
    EXPECT_EQ(s.readBlockRun(1, 0), 0);
    EXPECT_LT(rig->since(start), 0.2 * timeScale());

    // Run mode: the fourth reply is cut off, the run ends at once having shown only whole
    // records, and runs again once the port is reopened.
    reopen();
    rig->sensor().setMeasurement(300, 500);
    rig->sensor().setFault(Fault::CutOff, 8, 1, 100, 3);
    std::vector<RunRecord> shown;
    start = rig->pump.now();
    EXPECT_EQ(runFor(8, shown), kStopRunTimeout);
    EXPECT_LT(rig->since(start), 0.1 + 0.4 * timeScale());
    EXPECT_EQ(shown.size(), 3u);
    reopen();
    EXPECT_EQ(runFor(8, shown), kStopByUser);
    EXPECT_EQ(shown.size(), 8u);
    expectOnlyTheRealMeasurement(shown);
}

}  // namespace
}  // namespace korvo::test
