// What the PC end of a virtual sensor's line sees, over a real pseudo-terminal. The exchanges the
// link code makes (parameter halves, blocks, calibration, X-FLASH writes, baud-rate changes and the
// faults it meets) are checked through that code by the integration tests; these are the replies
// and rules no exchange of the program shows.

#include "LineClient.h"

namespace korvo::sim::test {
namespace {

using SensorReplies = SensorOnLine;

TEST_F(SensorReplies, HardwareInfoAndExactly72BytesOfFirmwareText) {
    EXPECT_EQ(client->exchange(request(10, 0), 36),
              hexBytes("00AA 000A 0001 0001 1267 0000 2000 2000 0800 0000 013E 0050 0100"));
    client->send(request(7, 0));
    EXPECT_EQ(client->read(72, 1000),
              QByteArray("KORVO-KM-8 V3.18 VIRTUAL SN4711") + QByteArray(41, '\0'));
    EXPECT_TRUE(client->readFor(100).isEmpty());
}

TEST_F(SensorReplies, VideoBlocksShowTheLastRawDataMeasurementNotTheEdgesSince) {
    const auto readVideo = [this] {
        QByteArray video;
        for (int offset : {0, 64, 128, 192}) {
            client->send(request(9, static_cast<std::uint16_t>(offset), {0}));
            video += client->read(128, 1000);
        }
        return video;
    };
    // Pixels 3072 and 6400 of 8192 are video samples 96 and 200.
    sensor->setMeasurement(2048, 4096);
    client->exchange(request(8, 0), 36);
    sensor->setMeasurement(6000, 7000);  // the edges move before the blocks are read
    QByteArray video = readVideo();
    ASSERT_EQ(video.size(), 512);
    EXPECT_LT(word(video, 96), 30);  // dark inside the shadow, bright outside it
    EXPECT_GT(word(video, 200), 150);

    client->exchange(request(8, 0), 36);  // the next measurement brings the next profile
    video = readVideo();
    ASSERT_EQ(video.size(), 512);
    EXPECT_GT(word(video, 96), 150);
    EXPECT_LT(word(video, 200), 30);
}

TEST_F(SensorReplies, RawDataAndRecordRepliesCarryThePinnedMeasurement) {
    ParamHalf h0 = sensor->ramHalf(0);
    h0[p0::kTeachValue] = 4800;
    sensor->setRamHalf(0, h0);
    ParamHalf h1 = sensor->ramHalf(1);
    h1[p1::kSlopeLow] = 2048;
    h1[p1::kOffsetLow] = 32867;
    sensor->setRamHalf(1, h1);
    sensor->setMeasurement(3000, 5000);
    EXPECT_EQ(client->exchange(request(8, 0), 36),
              hexBytes("00AA 0008 0BB8 1388 1388 2774 0000 12C0 0080 0002 0BB8 1388 0000 1388 "
                       "1388 0001 0000 07D0"));
    EXPECT_EQ(client->exchange(request(18, 0), 36),
              hexBytes("00AA 0012 1388 0BB8 1388 2774 0000 0002 07D0"));

    // Eval-Mode 2 measures the centre; a reset clears the hold (minimum = pixel count - 1).
    h0[p0::kEvalMode] = 2;
    sensor->setRamHalf(0, h0);
    client->exchange(request(11, 0), 36);
    const QByteArray centre = client->exchange(request(8, 0), 36);
    EXPECT_EQ(word(centre, 4), 4000);
    EXPECT_EQ(word(centre, 13), 4000);
    EXPECT_EQ(word(centre, 14), 4000);
    client->exchange(request(11, 0), 36);
    sensor->setMeasurement(0, 0, 0);
    const QByteArray none = client->exchange(request(8, 0), 36);
    EXPECT_EQ(word(none, 9), 0);
    EXPECT_EQ(word(none, 13), 0);
    EXPECT_EQ(word(none, 14), 8191);
}

TEST_F(SensorReplies, StoresXFlashBoundsCalibrationInRamOnlyAndUnknownBaudIndex) {
    const Profile ramBefore = sensor->thresholds(1);
    client->exchange(request(13, 50, {2}), 36);
    const Profile eeprom = sensor->thresholds(2);
    EXPECT_EQ(sensor->thresholds(1), ramBefore);
    // Half of the uncovered band: about 0.4 of full scale in the middle, no shadow dip.
    EXPECT_NEAR(eeprom[128], 102, 3);
    EXPECT_NEAR(eeprom[80], eeprom[128], 8);

    client->exchange(request(102, 16, {3, 1, 2, 3, 4, 5, 6, 7, 0x8000}), 36);
    EXPECT_EQ(sensor->xflash()[3 * 256 + 16], 1);
    EXPECT_EQ(sensor->xflash()[3 * 256 + 24], 0xFFFF);
    client->exchange(request(102, 252, {3, 9, 9, 9, 9, 9, 9, 9, 9}), 36);  // beyond its page
    EXPECT_EQ(sensor->xflash()[3 * 256 + 252], 0xFFFF);
    EXPECT_EQ(word(client->exchange(request(101, 0, {0xAA, 0xAA}), 36), 1), 101);
    EXPECT_EQ(sensor->xflash()[3 * 256 + 16], 0xFFFF);

    client->exchange(request(12, 2, {0x1170, 0x0001, 0x7FEB, 0}), 36);
    EXPECT_EQ(sensor->eepromHalf(1)[p1::kSlopeLow], 1024);

    client->exchange(request(190, 4), 36);
    client->exchange(request(190, 9), 36);  // no such index: echoed, rate kept
    EXPECT_EQ(sensor->currentBaud(), 115200);
    EXPECT_EQ(sensor->ramHalf(1)[p1::kRs232Baud], 4);
}

TEST_F(SensorReplies, DummyFramesNoiseAndBrokenFramesGetNoReplyNorUseUpAFaultRule) {
    client->send(request(0, 0));
    EXPECT_TRUE(client->readFor(100).isEmpty());
    EXPECT_EQ(client->exchange(request(77, 5, {1, 2}), 36),
              hexBytes("00AA 004D 0005 0001 0002"));  // an unknown code is echoed

    client->send(hexBytes("1337 0042", 0));
    EXPECT_EQ(word(client->exchange(request(5, 0), 36), 1), 5);
    // Half a frame, a pause longer than a frame gap, then a whole frame: only that one counts.
    sensor->clearReceivedFrames();
    client->send(request(10, 0).left(20));
    EXPECT_TRUE(client->readFor(200).isEmpty());
    EXPECT_EQ(word(client->exchange(request(5, 0), 36), 1), 5);
    EXPECT_TRUE(client->readFor(100).isEmpty());
    const std::vector<ReceivedFrame> frames = sensor->receivedFrames();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].bytes, request(5, 0));
    EXPECT_LE(frames[0].firstByte, frames[0].taken);

    // Fault rules: counted or not, cleared, not used up by a dummy frame; and the sync word taken
    // away with the rest of the frame kept.
    const QByteArray good = client->exchange(request(5, 0), 36);
    ASSERT_EQ(good.size(), 36);
    sensor->setFault(Fault::NoSync, 5, 1);
    const QByteArray bad = client->exchange(request(5, 0), 36);
    ASSERT_EQ(bad.size(), 36);
    EXPECT_NE(word(bad, 0), 0x00AA);
    EXPECT_NE(word(bad, 1), 0x00AA);
    EXPECT_EQ(bad.mid(2), good.mid(2));
    EXPECT_EQ(client->exchange(request(5, 0), 36), good);  // the rule is used up

    sensor->setFault(Fault::NoReply, 10);  // forever, but only for code 10
    for (int i = 0; i < 2; ++i) EXPECT_TRUE(client->exchange(request(10, 0), 36, 150).isEmpty());
    EXPECT_EQ(client->exchange(request(5, 0), 36), good);
    sensor->clearFaults();
    EXPECT_EQ(client->exchange(request(10, 0), 36).size(), 36);

    // A dummy frame, which gets no reply, does not use up a rule for any command.
    sensor->setFault(Fault::ShortReply, -1, 1);
    client->send(request(0, 0));
    client->send(request(5, 0));
    EXPECT_EQ(client->readFor(150), good.left(35));
}

}  // namespace
}  // namespace korvo::sim::test
