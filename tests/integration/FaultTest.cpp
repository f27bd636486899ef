// Time-outs, replies of the wrong shape and lines that hang up.

#include <functional>

#include "LinkRig.h"
#include "support/TimeScale.h"

namespace korvo::test {
namespace {

using sim::Fault;

using Faults = OpenRig;

TEST_F(Faults, ReplyWithinTheSecondIsTakenALaterOneIsNot) {
    SensorLink& s = rig->sensorLink;
    rig->sensor().setFault(Fault::LateReply, 2, 1, 900);
    double start = rig->pump.now();
    EXPECT_EQ(s.GetParamHalf(kMemoryRam, 0, 1), 1);
    EXPECT_GE(rig->since(start), 0.85);

    rig->sensor().setFault(Fault::LateReply, 2, 1, 1250);
    start = rig->pump.now();
    const double cpuBefore = threadCpuSeconds();
    EXPECT_EQ(s.GetParamHalf(kMemoryRam, 1, 1), -1);
    EXPECT_GT(rig->since(start), 1.0);
    EXPECT_LT(rig->since(start), 1.0 + 0.15 * timeScale());
    EXPECT_LT(threadCpuSeconds() - cpuBefore, 0.1 * timeScale()) << "the wait must sleep, not spin";
    EXPECT_EQ(rig->link.statusText, QStringLiteral("Timeout-RS-232..."));

    // The late reply is taken in by the port but by no exchange: dropped and counted.
    rig->pump.delay(0.4);
    EXPECT_EQ(rig->link.replyKind, kReplyNone);
    EXPECT_EQ(s.droppedFrames(1), 1u);
}

TEST_F(Faults, EachExchangeReportsItsOwnTimeout) {
    SensorLink& s = rig->sensorLink;
    const QString dots = QStringLiteral("Timeout-RS-232...");
    const QString line = QStringLiteral("Timeout RS232-Line!");
    struct Case {
        int code;
        std::function<int()> call;
        int result;
        int stopAfter;
        const QString& text;
    };
    const Case cases[] = {
        {8, [&] { return s.PushGETRAW(1); }, 0, kStopByUser, line},
        {18, [&] { return s.RequestRecordSample(1); }, -1, kStopRecordTimeout, line},
        {6, [&] { return s.TeachSetpoint(1); }, -1, kStopByUser, line},
        {11, [&] { return s.ResetMaxMin(1); }, -1, kStopByUser, dots},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        rig->sensor().setFault(Fault::NoReply, c.code, 1);
        rig->link.stopFlag = kStopRunning;
        rig->sink.clear();
        EXPECT_EQ(c.call(), c.result);
        EXPECT_EQ(rig->link.stopFlag, c.stopAfter);
        EXPECT_EQ(rig->link.statusText, c.text);
        EXPECT_TRUE(rig->sink.saw(c.text));
    }
    EXPECT_EQ(rig->link.replyKind, kReplyNone);  // no loop left to resume

    rig->sensor().setFault(Fault::NoReply, 16, 2);
    double start = rig->pump.now();
    EXPECT_EQ(s.TestBUTTON(1, 512, 100, 100), 0);
    EXPECT_GT(rig->since(start), 0.5);
    EXPECT_LT(rig->since(start), 0.5 + 0.15 * timeScale());
    EXPECT_EQ(rig->link.statusText, dots);
    EXPECT_EQ(s.ActivateTeach(1, 512, 100, 100), 0);
    EXPECT_EQ(rig->link.mplexStatusText, QStringLiteral("Timeout RS-232!"));

    rig->sensor().setFault(Fault::NoReply, 5, 1);
    start = rig->pump.now();
    EXPECT_EQ(s.Check232Line(1), -1);
    EXPECT_LT(rig->since(start), 0.5 + 0.15 * timeScale());
    EXPECT_EQ(rig->link.mplexStatusText, QStringLiteral("Timeout RS-232!"));
    EXPECT_EQ(rig->link.statusText, QStringLiteral("Timeout RS-232!"));

    rig->sensor().setFault(Fault::NoReply, 13, 1);
    rig->sink.clear();
    EXPECT_EQ(s.ActivateAutoThdSave(1, 70, 1), -1);
    EXPECT_EQ(rig->link.statusText, dots);
    EXPECT_EQ(rig->sink.last(), dots);  // the time-out is shown, not the progress text

    rig->sensor().setFault(Fault::NoReply, 190, 1);
    EXPECT_EQ(s.ChangeBaudRate(1, 4), 0);
    EXPECT_TRUE(
        rig->sink.saw(QStringLiteral("Timeout: changing RS-232-baudrate..."), StatusLine::Both));
    EXPECT_EQ(rig->bank.port(1)->baudRate(), 19200);
    EXPECT_TRUE(rig->bank.isOpen(1));
}

TEST_F(Faults, WrongLengthsAndMissingSync) {
    SensorLink& s = rig->sensorLink;
    // 40 bytes: the first frame counts, nothing of the rest reaches the next reply.
    rig->sensor().setFault(Fault::LongReply, 8, 1);
    rig->sensor().setMeasurement(120, 340);
    ASSERT_EQ(s.PushGETRAW(1), 8);
    EXPECT_EQ(rig->link.dataWords[0], 120);
    EXPECT_EQ(rig->link.dataWords[1], 340);
    rig->pump.delay(0.05);
    EXPECT_EQ(rig->bank.inQLen(1), 0);
    ASSERT_EQ(s.CheckComLine(1), 1);
    EXPECT_EQ(rig->link.serialNumber, 4711);

    // 35 bytes time out and are flushed by the next exchange.
    rig->sensor().setFault(Fault::ShortReply, 5, 1);
    EXPECT_EQ(s.CheckComLine(1), -1);
    EXPECT_TRUE(rig->sink.saw(QStringLiteral("Timeout-RS-232..."), StatusLine::Both));
    EXPECT_EQ(s.CheckComLine(1), 1);
    EXPECT_EQ(rig->link.statusText, QStringLiteral("Echo Check - Line Ok!   SN:4711"));

    rig->sensor().setFault(Fault::NoSync, 5, 2);
    EXPECT_EQ(s.CheckComLine(1), 0);
    EXPECT_TRUE(
        rig->sink.saw(QStringLiteral("read error - not sync byte 0xAA!"), StatusLine::Both));
    EXPECT_EQ(s.Check232Line(1), 0);
    EXPECT_EQ(rig->link.mplexStatusText, QStringLiteral("ERROR,no sync byte!"));
    EXPECT_EQ(rig->link.statusText, QStringLiteral("ERROR,no sync byte!"));

    // Firmware text of 60 and of more than 72 bytes.
    rig->sensor().setFault(Fault::ShortReply, 7, 1);
    EXPECT_EQ(s.GetVERSIONInfo(1), 60);
    EXPECT_TRUE(rig->link.firmwareText.startsWith(QLatin1String("KORVO-KM")));
    rig->sensor().setFault(Fault::LongReply, 7, 1);
    EXPECT_GE(s.GetVERSIONInfo(1), 72);
    EXPECT_LE(rig->link.firmwareText.size(), 72);
    EXPECT_TRUE(rig->bank.port(1)->callbackInstalled());
    EXPECT_EQ(rig->bank.inQLen(1), 0);
}

TEST_F(Faults, BlocksOfTheWrongLengthStopTheRun) {
    SensorLink& s = rig->sensorLink;
    rig->video.video.fill(0x5555);
    rig->sensor().setFault(Fault::LongReply, 9, 1);  // 130 bytes
    EXPECT_EQ(s.readBlockRun(1, 0), 0);
    EXPECT_EQ(rig->link.statusText, QStringLiteral("More than 64 data-words !"));
    EXPECT_EQ(rig->sensor().receivedFrames().size(), 1u);  // blocks 1..3 not requested
    rig->sensor().clearReceivedFrames();
    EXPECT_EQ(rig->video.video[0], 0x5555);
    EXPECT_TRUE(rig->bank.port(1)->callbackInstalled());

    rig->sensor().setFault(Fault::ShortReply, 9, 1);  // 100 bytes
    const double start = rig->pump.now();
    EXPECT_EQ(s.readBlockRun(1, 0), 0);
    EXPECT_GT(rig->since(start), 1.0);
    EXPECT_EQ(rig->link.statusText, QStringLiteral("Timeout-RS-232 while reading 64 data-words!"));
    EXPECT_EQ(rig->video.video[63], 0x5555);
    EXPECT_EQ(s.PushGETRAW(1), 8);  // the callback is back
}

TEST_F(Faults, HangUpEndsTheWaitAtOnceAndThePortCanBeOpenedAgain) {
    SensorLink& s = rig->sensorLink;
    rig->sensor().setFault(Fault::HangUp, 2, 1);
    double start = rig->pump.now();
    EXPECT_EQ(s.GetParamHalf(kMemoryRam, 0, 1), -1);
    EXPECT_LT(rig->since(start), 0.3 * timeScale());
    EXPECT_EQ(rig->link.statusText, QStringLiteral("Timeout-RS-232..."));
    EXPECT_TRUE(rig->bank.isBroken(1));
    EXPECT_FALSE(rig->bank.isOpen(1));
    EXPECT_FALSE(rig->bank.errorDetail(1).isEmpty());

    ASSERT_FALSE(rig->sensor().reopen().isEmpty());
    rig->rewriteMap();
    rig->open();
    EXPECT_FALSE(rig->bank.isBroken(1));
    EXPECT_EQ(s.CheckComLine(1), 1);

    // No event runs between the hang-up and the request: the write itself meets the dead line.
    rig->sensor().hangUp();
    start = rig->pump.now();
    EXPECT_EQ(s.PushGETRAW(1), 0);
    EXPECT_LT(rig->since(start), 0.3 * timeScale());
    EXPECT_TRUE(rig->bank.isBroken(1));
    EXPECT_FALSE(rig->bank.isOpen(1));

    // Hung up while idle: every later exchange fails at once.
    ASSERT_FALSE(rig->sensor().reopen().isEmpty());
    rig->rewriteMap();
    rig->open();
    rig->sensor().hangUp();
    rig->pump.delay(0.2);
    EXPECT_TRUE(rig->bank.isBroken(1));
    start = rig->pump.now();
    EXPECT_EQ(s.PushGETRAW(1), 0);
    EXPECT_EQ(s.GetVERSIONInfo(1), 0);
    EXPECT_EQ(s.readBlockRun(1, 0), 0);
    EXPECT_LT(rig->since(start), 0.2 * timeScale());
}

}  // namespace
}  // namespace korvo::test
