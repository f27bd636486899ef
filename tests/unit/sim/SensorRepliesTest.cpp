// Reply layouts of the virtual sensor, byte for byte, over a real pseudo-terminal.

#include "LineClient.h"

namespace korvo::sim {
namespace {

using test::echoOf;
using test::hexBytes;
using test::request;
using test::word;
using SensorReplies = test::SensorOnLine;

TEST_F(SensorReplies, LineCheckHardwareInfoAndFirmwareText) {
    EXPECT_EQ(client->exchange(request(5, 0, {0x0102, 0xA0B0}), 36),
              hexBytes("00AA 0005 1267 0102 A0B0"));
    EXPECT_EQ(client->exchange(request(10, 0), 36),
              hexBytes("00AA 000A 0001 0001 1267 0000 2000 2000 0800 0000 013E 0050 0100"));

    client->send(request(7, 0));  // exactly 72 raw bytes
    EXPECT_EQ(client->read(72, 1000),
              QByteArray("KORVO-KM-8 V3.18 VIRTUAL SN4711") + QByteArray(41, '\0'));
    EXPECT_TRUE(client->readFor(100).isEmpty());
}

TEST_F(SensorReplies, BlocksAre128BytesFromTheChosenArray) {
    Profile ram{}, eeprom{};
    for (int i = 0; i < 256; ++i) {
        ram[i] = static_cast<std::uint16_t>(0x0100 + i);
        eeprom[i] = static_cast<std::uint16_t>(0x2000 + i);
    }
    sensor.setThresholds(1, ram);
    sensor.setThresholds(2, eeprom);
    client->send(request(9, 64, {1}));
    const QByteArray block = client->read(200, 300);
    ASSERT_EQ(block.size(), 128);
    EXPECT_EQ(block.left(4), hexBytes("0140 0141", 0));
    EXPECT_EQ(block.right(2), hexBytes("017F", 0));
    client->send(request(9, 192, {2}));
    const QByteArray last = client->read(200, 300);
    ASSERT_EQ(last.size(), 128);
    EXPECT_EQ(last.left(2), hexBytes("20C0", 0));
    EXPECT_EQ(last.right(2), hexBytes("20FF", 0));
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
    // Pixels 1024, 3072 and 6400 of 8192 are video samples 32, 96 and 200.
    sensor.setMeasurement(2048, 4096);
    client->exchange(request(8, 0), 36);
    sensor.setMeasurement(6000, 7000);  // the edges move before the blocks are read
    QByteArray video = readVideo();
    ASSERT_EQ(video.size(), 512);
    EXPECT_GT(word(video, 32), 150);  // bright outside the shadow, dark inside it
    EXPECT_LE(word(video, 32), 255);
    EXPECT_LT(word(video, 96), 30);
    EXPECT_GT(word(video, 200), 150);
    const Profile served = sensor.lastVideo();
    for (int i = 0; i < 256; ++i) ASSERT_EQ(word(video, i), served[i]) << i;

    client->exchange(request(8, 0), 36);  // the next measurement brings the next profile
    video = readVideo();
    ASSERT_EQ(video.size(), 512);
    EXPECT_GT(word(video, 96), 150);
    EXPECT_LT(word(video, 200), 30);
}

TEST_F(SensorReplies, RawDataAndRecordRepliesCarryThePinnedMeasurement) {
    ParamHalf h0 = sensor.ramHalf(0);
    h0[p0::kTeachValue] = 4800;
    sensor.setRamHalf(0, h0);
    ParamHalf h1 = sensor.ramHalf(1);
    h1[p1::kSlopeLow] = 2048;
    h1[p1::kOffsetLow] = 32867;
    sensor.setRamHalf(1, h1);
    sensor.setMeasurement(3000, 5000);
    EXPECT_EQ(client->exchange(request(8, 0), 36),
              hexBytes("00AA 0008 0BB8 1388 1388 2774 0000 12C0 0080 0002 0BB8 1388 0000 1388 "
                       "1388 0001 0000 07D0"));
    EXPECT_EQ(client->exchange(request(18, 0), 36),
              hexBytes("00AA 0012 1388 0BB8 1388 2774 0000 0002 07D0"));

    // Eval-Mode 2 measures the centre; a reset clears the hold (minimum = pixel count - 1).
    h0[p0::kEvalMode] = 2;
    sensor.setRamHalf(0, h0);
    client->exchange(request(11, 0), 36);
    const QByteArray centre = client->exchange(request(8, 0), 36);
    EXPECT_EQ(word(centre, 4), 4000);
    EXPECT_EQ(word(centre, 13), 4000);
    EXPECT_EQ(word(centre, 14), 4000);
    client->exchange(request(11, 0), 36);
    sensor.setMeasurement(0, 0, 0);
    const QByteArray none = client->exchange(request(8, 0), 36);
    EXPECT_EQ(word(none, 9), 0);
    EXPECT_EQ(word(none, 13), 0);
    EXPECT_EQ(word(none, 14), 8191);
}

TEST_F(SensorReplies, TeachTestAndThresholdStoreChangeTheSensor) {
    sensor.setMeasurement(1000, 1500);
    client->exchange(request(6, 0), 36);
    EXPECT_EQ(sensor.ramHalf(0)[p0::kTeachValue], 1500);

    EXPECT_EQ(client->exchange(request(16, 2000, {150, 120}), 36),
              echoOf(request(16, 2000, {150, 120})));
    EXPECT_EQ(sensor.ramHalf(0)[p0::kTeachValue], 2000);
    EXPECT_EQ(sensor.ramHalf(0)[p0::kUpperTol], 150);
    EXPECT_EQ(sensor.ramHalf(0)[p0::kLowerTol], 120);

    const Profile ramBefore = sensor.thresholds(1);
    client->exchange(request(13, 50, {2}), 36);
    const Profile eeprom = sensor.thresholds(2);
    EXPECT_EQ(sensor.thresholds(1), ramBefore);
    // Half of the uncovered band: about 0.4 of full scale in the middle, no shadow dip.
    EXPECT_NEAR(eeprom[128], 102, 3);
    EXPECT_NEAR(eeprom[80], eeprom[128], 8);
}

TEST_F(SensorReplies, CalibrationTakesAndReportsSlopeAndOffset) {
    EXPECT_EQ(client->exchange(request(12, 1), 36).mid(4, 10),
              hexBytes("0001 0400 0000 7FFF 0000", 0));
    EXPECT_TRUE(sensor.calibrating());
    // Slope 70000 and offset 32747, each low word first.
    EXPECT_EQ(client->exchange(request(12, 2, {0x1170, 0x0001, 0x7FEB, 0}), 36),
              hexBytes("00AA 000C 0002 1170 0001 7FEB 0000"));
    EXPECT_FALSE(sensor.calibrating());
    EXPECT_EQ(sensor.ramHalf(1)[p1::kSlopeLow], 0x1170);
    EXPECT_EQ(sensor.ramHalf(1)[p1::kSlopeHigh], 1);
    EXPECT_EQ(sensor.eepromHalf(1)[p1::kSlopeLow], 1024);
}

TEST_F(SensorReplies, XFlashClearAndBlockWrite) {
    EXPECT_EQ(client->exchange(request(102, 16, {3, 1, 2, 3, 4, 5, 6, 7, 0x8000}), 36).left(14),
              hexBytes("00AA 0066 0010 0010 0003 0001 0002", 0));
    EXPECT_EQ(sensor.xflash()[3 * 256 + 16], 1);
    EXPECT_EQ(sensor.xflash()[3 * 256 + 23], 0x8000);
    EXPECT_EQ(sensor.xflash()[3 * 256 + 24], 0xFFFF);

    client->exchange(request(102, 252, {3, 9, 9, 9, 9, 9, 9, 9, 9}), 36);  // beyond its page
    EXPECT_EQ(sensor.xflash()[3 * 256 + 252], 0xFFFF);

    EXPECT_EQ(word(client->exchange(request(101, 0, {0xAA, 0xAA}), 36), 1), 101);
    EXPECT_EQ(sensor.xflash()[3 * 256 + 16], 0xFFFF);
}

TEST_F(SensorReplies, BaudChangeEchoesThenSwitchesTheRate) {
    EXPECT_EQ(sensor.currentBaud(), 19200);
    EXPECT_EQ(client->exchange(request(190, 4), 36), hexBytes("00AA 00BE 0004"));
    EXPECT_EQ(sensor.currentBaud(), 115200);
    EXPECT_EQ(sensor.ramHalf(1)[p1::kRs232Baud], 4);
    client->exchange(request(190, 9), 36);  // no such index: echoed, rate kept
    EXPECT_EQ(sensor.currentBaud(), 115200);
}

TEST_F(SensorReplies, DummyFramesNoiseAndBrokenFramesGetNoReply) {
    client->send(request(0, 0));
    EXPECT_TRUE(client->readFor(100).isEmpty());
    EXPECT_EQ(client->exchange(request(77, 5, {1, 2}), 36), echoOf(request(77, 5, {1, 2})));

    client->send(hexBytes("1337 0042", 0));
    EXPECT_EQ(word(client->exchange(request(5, 0), 36), 1), 5);
    // Half a frame, a pause longer than a frame gap, then a whole frame: only that one counts.
    sensor.clearReceivedFrames();
    client->send(request(10, 0).left(20));
    EXPECT_TRUE(client->readFor(200).isEmpty());
    EXPECT_EQ(word(client->exchange(request(5, 0), 36), 1), 5);
    EXPECT_TRUE(client->readFor(100).isEmpty());
    const std::vector<ReceivedFrame> frames = sensor.receivedFrames();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].bytes, request(5, 0));
    EXPECT_LE(frames[0].firstByte, frames[0].taken);
}

}  // namespace
}  // namespace korvo::sim
