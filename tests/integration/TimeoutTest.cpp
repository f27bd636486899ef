#include <gtest/gtest.h>
#include <sys/resource.h>

#include <memory>

#include "LinkRig.h"

namespace korvo::test {
namespace {

// CPU seconds of the calling thread (the virtual sensor runs on threads of its own).
double threadCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    const auto sec = [](const timeval& t) { return t.tv_sec + t.tv_usec * 1e-6; };
    return sec(usage.ru_utime) + sec(usage.ru_stime);
}

class Timeouts : public ::testing::Test {
protected:
    void SetUp() override {
        rig = std::make_unique<LinkRig>();
        rig->open();
        rig->sink.clear();
    }
    double since(double start) const { return rig->pump.now() - start; }
    std::unique_ptr<LinkRig> rig;
};

TEST_F(Timeouts, ReplyWithinTheSecondIsTakenALaterOneIsNot) {
    SensorLink& s = rig->sensorLink;
    rig->sensor().setFault(sim::Fault::LateReply, 2, 1, 900);
    double start = rig->pump.now();
    EXPECT_EQ(s.GetParamHalf(kMemoryRam, 0, 1), 1);
    EXPECT_GE(since(start), 0.85);

    rig->sensor().setFault(sim::Fault::LateReply, 2, 1, 1250);
    start = rig->pump.now();
    const double cpuBefore = threadCpuSeconds();
    EXPECT_EQ(s.GetParamHalf(kMemoryRam, 1, 1), -1);
    const double waited = since(start);
    EXPECT_GT(waited, 1.0);
    EXPECT_LT(waited, 1.15);
    EXPECT_LT(threadCpuSeconds() - cpuBefore, 0.1) << "the wait must sleep, not spin";
    EXPECT_EQ(rig->link.statusText, QStringLiteral("Timeout-RS-232..."));

    // The late reply is still taken in, and the next exchange clears it before its own wait.
    rig->pump.delay(0.4);
    EXPECT_EQ(rig->link.replyKind, kReplyEcho);
    rig->sensor().setFault(sim::Fault::NoReply, 1, 1);
    EXPECT_EQ(s.SendParamHalf(kMemoryRam, 0, 1), -1);
}

TEST_F(Timeouts, EachExchangeReportsItsOwnTimeout) {
    SensorLink& s = rig->sensorLink;
    sim::VirtualSensor& sensor = rig->sensor();

    sensor.setFault(sim::Fault::NoReply, 8, 1);
    rig->link.stopFlag = kStopRunning;
    EXPECT_EQ(s.PushGETRAW(1), 0);
    EXPECT_EQ(rig->link.stopFlag, kStopByUser);
    EXPECT_TRUE(rig->sink.saw(QStringLiteral("Timeout RS232-Line!"), StatusLine::Main));

    sensor.setFault(sim::Fault::NoReply, 18, 1);
    rig->link.stopFlag = kStopRunning;
    EXPECT_EQ(s.RequestRecordSample(1), -1);
    EXPECT_EQ(rig->link.stopFlag, kStopRecordTimeout);
    EXPECT_EQ(rig->link.statusText, QStringLiteral("Timeout RS232-Line!"));

    sensor.setFault(sim::Fault::NoReply, 16, 2);
    double start = rig->pump.now();
    EXPECT_EQ(s.TestBUTTON(1, 512, 100, 100), 0);
    EXPECT_GT(since(start), 0.5);
    EXPECT_LT(since(start), 0.65);
    EXPECT_EQ(rig->link.statusText, QStringLiteral("Timeout-RS-232..."));
    EXPECT_EQ(s.ActivateTeach(1, 512, 100, 100), 0);
    EXPECT_EQ(rig->link.mplexStatusText, QStringLiteral("Timeout RS-232!"));

    sensor.setFault(sim::Fault::NoReply, 5, 1);
    start = rig->pump.now();
    EXPECT_EQ(s.Check232Line(1), -1);
    EXPECT_LT(since(start), 0.65);
    EXPECT_EQ(rig->link.mplexStatusText, QStringLiteral("Timeout RS-232!"));
    EXPECT_EQ(rig->link.statusText, QStringLiteral("Timeout RS-232!"));

    sensor.setFault(sim::Fault::NoReply, 13, 1);
    rig->sink.clear();
    EXPECT_EQ(s.ActivateAutoThdSave(1, 70, 1), -1);
    EXPECT_EQ(rig->link.statusText, QStringLiteral("Timeout-RS-232..."));
    EXPECT_EQ(rig->sink.last(), QStringLiteral("Save auto-video-threshold..."));

    sensor.setFault(sim::Fault::NoReply, 190, 1);
    EXPECT_EQ(s.ChangeBaudRate(1, 4), 0);
    EXPECT_TRUE(
        rig->sink.saw(QStringLiteral("Timeout: changing RS-232-baudrate..."), StatusLine::Both));
    EXPECT_EQ(rig->bank.port(1)->baudRate(), 19200);
    EXPECT_TRUE(rig->bank.isOpen(1));
}

TEST_F(Timeouts, ResetAndTeachTimeoutsStopTheLoop) {
    SensorLink& s = rig->sensorLink;
    rig->sensor().setFault(sim::Fault::NoReply, 11, 1);
    rig->link.stopFlag = kStopRunning;
    EXPECT_EQ(s.ResetMaxMin(1), -1);
    EXPECT_EQ(rig->link.stopFlag, kStopByUser);
    EXPECT_EQ(rig->link.statusText, QStringLiteral("Timeout-RS-232..."));
    EXPECT_EQ(rig->link.replyKind, kReplyNone);  // no loop left to resume

    rig->sensor().setFault(sim::Fault::NoReply, 6, 1);
    rig->link.stopFlag = kStopRunning;
    EXPECT_EQ(s.TeachSetpoint(1), -1);
    EXPECT_EQ(rig->link.stopFlag, kStopByUser);
    EXPECT_TRUE(rig->sink.saw(QStringLiteral("Timeout RS232-Line!"), StatusLine::Main));
}

}  // namespace
}  // namespace korvo::test
