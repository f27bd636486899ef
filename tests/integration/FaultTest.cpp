#include <gtest/gtest.h>

#include <memory>

#include "LinkRig.h"

namespace korvo::test {
namespace {

class Faults : public ::testing::Test {
protected:
    void SetUp() override {
        rig = std::make_unique<LinkRig>();
        rig->open();
        rig->sensor().freezeMeasurement();
        rig->sink.clear();
    }
    std::unique_ptr<LinkRig> rig;
};

TEST_F(Faults, LongReplyTakesTheFirstFrameAndDiscardsTheRest) {
    SensorLink& s = rig->sensorLink;
    rig->sensor().setFault(sim::Fault::LongReply, 8, 1);
    rig->sensor().setMeasurement(120, 340);
    ASSERT_EQ(s.PushGETRAW(1), 8);
    EXPECT_EQ(rig->link.dataWords[0], 120);
    EXPECT_EQ(rig->link.dataWords[1], 340);
    rig->pump.delay(0.05);
    EXPECT_EQ(rig->bank.inQLen(1), 0);
    // Nothing of the 4 extra bytes reaches the next reply.
    ASSERT_EQ(s.CheckComLine(1), 1);
    EXPECT_EQ(rig->link.serialNumber, 4711);
}

TEST_F(Faults, ShortReplyTimesOutAndIsFlushedByTheNextExchange) {
    SensorLink& s = rig->sensorLink;
    rig->sensor().setFault(sim::Fault::ShortReply, 5, 1);
    EXPECT_EQ(s.CheckComLine(1), -1);
    EXPECT_EQ(rig->link.statusText, QStringLiteral("Timeout-RS-232..."));
    EXPECT_TRUE(rig->sink.saw(QStringLiteral("Timeout-RS-232..."), StatusLine::Both));
    EXPECT_EQ(s.CheckComLine(1), 1);
    EXPECT_EQ(rig->link.statusText, QStringLiteral("Echo Check - Line Ok!   SN:4711"));
}

TEST_F(Faults, MissingSyncWordFailsTheLineChecks) {
    SensorLink& s = rig->sensorLink;
    rig->sensor().setFault(sim::Fault::NoSync, 5, 2);
    EXPECT_EQ(s.CheckComLine(1), 0);
    EXPECT_EQ(rig->link.statusText, QStringLiteral("read error - not sync byte 0xAA!"));
    EXPECT_TRUE(
        rig->sink.saw(QStringLiteral("read error - not sync byte 0xAA!"), StatusLine::Both));
    EXPECT_EQ(s.Check232Line(1), 0);
    EXPECT_EQ(rig->link.mplexStatusText, QStringLiteral("ERROR,no sync byte!"));
    EXPECT_EQ(rig->link.statusText, QStringLiteral("ERROR,no sync byte!"));
}

TEST_F(Faults, BlocksOfTheWrongLengthStopTheRun) {
    SensorLink& s = rig->sensorLink;
    rig->video.video.fill(0x5555);
    rig->sensor().setFault(sim::Fault::LongReply, 9, 1);
    EXPECT_EQ(s.readBlockRun(1, 0), 0);
    EXPECT_EQ(rig->link.statusText, QStringLiteral("More than 64 data-words !"));
    EXPECT_EQ(rig->sensor().receivedFrames().size(), 1u);  // blocks 1..3 not requested
    rig->sensor().clearReceivedFrames();
    EXPECT_EQ(rig->video.video[0], 0x5555);
    EXPECT_TRUE(rig->bank.port(1)->callbackInstalled());

    rig->sensor().setFault(sim::Fault::ShortReply, 9, 1);
    const double start = rig->pump.now();
    EXPECT_EQ(s.readBlockRun(1, 0), 0);
    EXPECT_GT(rig->pump.now() - start, 1.0);
    EXPECT_EQ(rig->link.statusText, QStringLiteral("Timeout-RS-232 while reading 64 data-words!"));
    EXPECT_EQ(rig->video.video[63], 0x5555);

    // The callback is back: frames work again.
    EXPECT_EQ(s.PushGETRAW(1), 8);
}

TEST_F(Faults, FirmwareTextOfOtherLengths) {
    SensorLink& s = rig->sensorLink;
    rig->sensor().setFault(sim::Fault::ShortReply, 7, 1);
    EXPECT_EQ(s.GetVERSIONInfo(1), 60);
    EXPECT_TRUE(rig->link.firmwareText.startsWith(QLatin1String("KORVO-KM")));
    EXPECT_LE(rig->link.firmwareText.size(), 60);

    rig->sensor().setFault(sim::Fault::LongReply, 7, 1);
    EXPECT_GE(s.GetVERSIONInfo(1), 72);
    EXPECT_LE(rig->link.firmwareText.size(), 72);
    EXPECT_TRUE(rig->bank.port(1)->callbackInstalled());
    EXPECT_EQ(rig->bank.inQLen(1), 0);
}

TEST_F(Faults, FirmwareTextWithoutZeroByteEndsAfterSeventyTwo) {
    LinkRig own([] {
        sim::SensorConfig c;
        c.firmwareText = QByteArray(72, 'K');
        c.firmwareText.replace(0, 8, "KORVO-KM");
        return std::vector<sim::SensorConfig>{c};
    }());
    own.open();
    EXPECT_EQ(own.sensorLink.GetVERSIONInfo(1), 72);
    EXPECT_EQ(own.link.firmwareText.size(), 72);
    EXPECT_TRUE(own.link.firmwareText.startsWith(QLatin1String("KORVO-KMKK")));
}

}  // namespace
}  // namespace korvo::test
