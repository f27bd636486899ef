// Reply layouts of the virtual sensor, byte for byte, over a real pseudo-terminal.

#include <gtest/gtest.h>

#include "LineClient.h"
#include "sim/VirtualSensor.h"

namespace korvo::sim {
namespace {

using test::bytesOf;
using test::LineClient;
using test::request;
using test::word;

class SensorReplies : public ::testing::Test {
protected:
    static SensorConfig quietConfig() {
        SensorConfig c;
        c.noise = false;
        c.recordPeriodMs = 0;
        return c;
    }
    void SetUp() override {
        ASSERT_TRUE(sensor.start()) << sensor.errorText().toStdString();
        client = std::make_unique<LineClient>(sensor.devicePath());
        ASSERT_TRUE(client->isOpen());
    }
    VirtualSensor sensor{quietConfig()};
    std::unique_ptr<LineClient> client;
};

TEST_F(SensorReplies, LineCheckEchoesDataAndCarriesTheSerialNumber) {
    const QByteArray reply = client->exchange(request(5, 0, {0x0102, 0xA0B0}), 36);
    EXPECT_EQ(reply, bytesOf({0x00, 0xAA, 0x00, 0x05, 0x12, 0x67, 0x01, 0x02, 0xA0, 0xB0, 0, 0,
                              0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0, 0,
                              0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0, 0}));
}

TEST_F(SensorReplies, RamAndEepromHalvesAreKeptApart) {
    const ParamHalf factoryEeprom = sensor.eepromHalf(1);
    const QByteArray stored = client->exchange(
        request(1, 1, {10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 0xBEEF}), 36);
    const QByteArray expected = bytesOf(
        {0x00, 0xAA, 0x00, 0x01, 0x00, 0x01, 0, 10, 0, 11, 0, 12, 0, 13, 0, 14, 0,    15,
         0,    16,   0,    17,   0,    18,   0, 19, 0, 20, 0, 21, 0, 22, 0, 23, 0xBE, 0xEF});
    EXPECT_EQ(stored, expected);

    QByteArray fromRam = client->exchange(request(2, 1), 36);
    QByteArray expectedGet = expected;
    expectedGet[3] = 0x02;
    EXPECT_EQ(fromRam, expectedGet);

    // EEPROM still holds the factory half; code 4 reports it.
    const QByteArray fromEeprom = client->exchange(request(4, 1), 36);
    ASSERT_EQ(fromEeprom.size(), 36);
    EXPECT_EQ(word(fromEeprom, 1), 4);
    for (int i = 0; i < 15; ++i) EXPECT_EQ(word(fromEeprom, 3 + i), factoryEeprom[i]) << i;
    EXPECT_EQ(sensor.eepromHalf(1), factoryEeprom);

    // Code 3 writes both.
    client->exchange(request(3, 0, {7, 7, 7}), 36);
    EXPECT_EQ(sensor.eepromHalf(0)[2], 7);
    EXPECT_EQ(sensor.ramHalf(0)[2], 7);
    EXPECT_EQ(sensor.ramHalf(1)[0], 10);  // the other half stays
}

TEST_F(SensorReplies, FactoryParametersFollowTheUsualDefaults) {
    const ParamHalf h0 = sensor.ramHalf(0);
    const ParamHalf h1 = sensor.ramHalf(1);
    EXPECT_EQ(h0[p0::kPowerMode], 1);
    EXPECT_EQ(h0[p0::kEvalMode], 1);
    EXPECT_EQ(h0[p0::kEvalEnd], 8192);
    EXPECT_EQ(h0[p0::kHardwareMode], 1);
    EXPECT_EQ(h1[p1::kVideoThdFix], 40);
    EXPECT_EQ(h1[p1::kVideoThdAuto], 70);
    EXPECT_EQ(h1[p1::kRs232Baud], 1);
    EXPECT_EQ(h1[p1::kSlopeLow], 1024);
    EXPECT_EQ(h1[p1::kOffsetLow], 32767);
    // Another serial number gives another teach value, so a GUI shows whose set it read.
    SensorConfig other;
    other.serial = 4712;
    EXPECT_NE(VirtualSensor(other).ramHalf(0)[p0::kTeachValue], h0[p0::kTeachValue]);
}

TEST_F(SensorReplies, FirmwareTextIsExactly72RawBytes) {
    client->send(request(7, 0));
    const QByteArray text = client->read(72, 1000);
    ASSERT_EQ(text.size(), 72);
    EXPECT_EQ(text.left(32), QByteArray("KORVO-KM-8 V3.18 VIRTUAL SN4711") + '\0');
    EXPECT_EQ(text.mid(31), QByteArray(41, '\0'));
    EXPECT_TRUE(client->readFor(100).isEmpty());
}

TEST_F(SensorReplies, HardwareInfoWords) {
    const QByteArray reply = client->exchange(request(10, 0), 36);
    EXPECT_EQ(reply, bytesOf({0x00, 0xAA, 0x00, 0x0A, 0x00, 0x01, 0x00, 0x01, 0x12, 0x67, 0, 0,
                              0x20, 0x00, 0x20, 0x00, 0x08, 0x00, 0x00, 0x00, 0x01, 0x3E, 0, 0x50,
                              0x01, 0x00, 0,    0,    0,    0,    0,    0,    0,    0,    0, 0}));
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
    EXPECT_EQ(block.left(4), bytesOf({0x01, 0x40, 0x01, 0x41}));
    EXPECT_EQ(block.right(2), bytesOf({0x01, 0x7F}));

    client->send(request(9, 192, {2}));
    const QByteArray last = client->read(200, 300);
    ASSERT_EQ(last.size(), 128);
    EXPECT_EQ(last.left(2), bytesOf({0x20, 0xC0}));
    EXPECT_EQ(last.right(2), bytesOf({0x20, 0xFF}));

    // The video profile: bright outside the shadow, dark inside it.
    sensor.setMeasurement(2048, 4096);
    client->exchange(request(8, 0), 36);
    QByteArray video;
    for (int offset : {0, 64, 128, 192}) {
        client->send(request(9, static_cast<std::uint16_t>(offset), {0}));
        video += client->read(128, 1000);
    }
    ASSERT_EQ(video.size(), 512);
    const int outside = word(video, 32);  // pixel 1024
    const int inside = word(video, 96);   // pixel 3072
    EXPECT_GT(outside, 150);
    EXPECT_LE(outside, 255);
    EXPECT_LT(inside, 30);
    EXPECT_EQ(word(video, 96), sensor.lastVideo()[96]);
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
    // Pixels 1024 and 3072 of 8192 are video samples 32 and 96.
    sensor.setMeasurement(2048, 4096);
    client->exchange(request(8, 0), 36);
    sensor.setMeasurement(6000, 7000);  // the edges move before the blocks are read
    QByteArray video = readVideo();
    ASSERT_EQ(video.size(), 512);
    EXPECT_LT(word(video, 96), 30);    // still the shadow of the measurement
    EXPECT_GT(word(video, 200), 150);  // pixel 6400, lit then
    const Profile served = sensor.lastVideo();
    for (int i = 0; i < 256; ++i) ASSERT_EQ(word(video, i), served[i]) << i;

    // The next measurement brings the next profile.
    client->exchange(request(8, 0), 36);
    video = readVideo();
    ASSERT_EQ(video.size(), 512);
    EXPECT_GT(word(video, 96), 150);
    EXPECT_LT(word(video, 200), 30);
    EXPECT_EQ(word(video, 200), sensor.lastVideo()[200]);
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

    const QByteArray raw = client->exchange(request(8, 0), 36);
    EXPECT_EQ(raw,
              bytesOf({0x00, 0xAA, 0x00, 0x08, 0x0B, 0xB8, 0x13, 0x88, 0x13, 0x88, 0x27, 0x74,
                       0x00, 0x00, 0x12, 0xC0, 0x00, 0x80, 0x00, 0x02, 0x0B, 0xB8, 0x13, 0x88,
                       0x00, 0x00, 0x13, 0x88, 0x13, 0x88, 0x00, 0x01, 0x00, 0x00, 0x07, 0xD0}));

    const QByteArray record = client->exchange(request(18, 0), 36);
    EXPECT_EQ(record,
              bytesOf({0x00, 0xAA, 0x00, 0x12, 0x13, 0x88, 0x0B, 0xB8, 0x13, 0x88, 0x27, 0x74,
                       0x00, 0x00, 0x00, 0x02, 0x07, 0xD0, 0,    0,    0,    0,    0,    0,
                       0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0}));

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

    const QByteArray test = client->exchange(request(16, 2000, {150, 120}), 36);
    EXPECT_EQ(test, request(16, 2000, {150, 120}).replace(0, 2, bytesOf({0x00, 0xAA})));
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
    const QByteArray on = client->exchange(request(12, 1), 36);
    EXPECT_EQ(on.mid(4, 10), bytesOf({0x00, 0x01, 0x04, 0x00, 0x00, 0x00, 0x7F, 0xFF, 0x00, 0x00}));
    EXPECT_TRUE(sensor.calibrating());

    // Slope 70000 and offset 32747, each low word first.
    const QByteArray saved = client->exchange(request(12, 2, {0x1170, 0x0001, 0x7FEB, 0}), 36);
    EXPECT_EQ(saved,
              bytesOf({0x00, 0xAA, 0x00, 0x0C, 0x00, 0x02, 0x11, 0x70, 0x00, 0x01, 0x7F, 0xEB,
                       0x00, 0x00, 0,    0,    0,    0,    0,    0,    0,    0,    0,    0,
                       0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0}));
    EXPECT_FALSE(sensor.calibrating());
    EXPECT_EQ(sensor.ramHalf(1)[p1::kSlopeLow], 0x1170);
    EXPECT_EQ(sensor.ramHalf(1)[p1::kSlopeHigh], 1);
    EXPECT_EQ(sensor.eepromHalf(1)[p1::kSlopeLow], 1024);
}

TEST_F(SensorReplies, XFlashClearAndBlockWrite) {
    const QByteArray written =
        client->exchange(request(102, 16, {3, 1, 2, 3, 4, 5, 6, 7, 0x8000}), 36);
    EXPECT_EQ(written.left(14),
              bytesOf({0x00, 0xAA, 0x00, 0x66, 0x00, 0x10, 0x00, 0x10, 0x00, 0x03, 0, 1, 0, 2}));
    std::vector<std::uint16_t> flash = sensor.xflash();
    EXPECT_EQ(flash[3 * 256 + 16], 1);
    EXPECT_EQ(flash[3 * 256 + 23], 0x8000);
    EXPECT_EQ(flash[3 * 256 + 24], 0xFFFF);

    // A block beyond its page is answered but not written.
    client->exchange(request(102, 252, {3, 9, 9, 9, 9, 9, 9, 9, 9}), 36);
    EXPECT_EQ(sensor.xflash()[3 * 256 + 252], 0xFFFF);

    const QByteArray cleared = client->exchange(request(101, 0, {0xAA, 0xAA}), 36);
    EXPECT_EQ(word(cleared, 1), 101);
    flash = sensor.xflash();
    EXPECT_EQ(flash[3 * 256 + 16], 0xFFFF);
}

TEST_F(SensorReplies, DummyFrameGetsNoReplyAndUnknownCodesAreEchoed) {
    client->send(request(0, 0));
    EXPECT_TRUE(client->readFor(100).isEmpty());
    const QByteArray echo = client->exchange(request(77, 5, {1, 2}), 36);
    EXPECT_EQ(echo, request(77, 5, {1, 2}).replace(0, 2, bytesOf({0x00, 0xAA})));
}

TEST_F(SensorReplies, BaudChangeEchoesThenSwitchesTheRate) {
    EXPECT_EQ(sensor.currentBaud(), 19200);
    const QByteArray echo = client->exchange(request(190, 4), 36);
    EXPECT_EQ(echo,
              bytesOf({0x00, 0xAA, 0x00, 0xBE, 0x00, 0x04, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                       0,    0,    0,    0,    0,    0,    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(sensor.currentBaud(), 115200);
    EXPECT_EQ(sensor.ramHalf(1)[p1::kRs232Baud], 4);
    client->exchange(request(190, 9), 36);  // no such index: echoed, rate kept
    EXPECT_EQ(sensor.currentBaud(), 115200);
}

TEST_F(SensorReplies, LineNoiseAndBrokenFramesAreSkipped) {
    client->send(bytesOf({0x13, 0x37, 0x00, 0x42}));
    const QByteArray reply = client->exchange(request(5, 0), 36);
    EXPECT_EQ(word(reply, 1), 5);

    // Half a frame, a pause longer than a frame gap, then a whole frame: only the whole one counts.
    client->send(request(10, 0).left(20));
    EXPECT_TRUE(client->readFor(200).isEmpty());
    EXPECT_EQ(word(client->exchange(request(5, 0), 36), 1), 5);
    EXPECT_TRUE(client->readFor(100).isEmpty());

    const std::vector<ReceivedFrame> frames = sensor.receivedFrames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[1].bytes, request(5, 0));
    EXPECT_LE(frames[1].firstByte, frames[1].taken);
}

}  // namespace
}  // namespace korvo::sim
