#include <gtest/gtest.h>

#include <memory>

#include "LinkRig.h"

namespace korvo::test {
namespace {

class Exchange : public ::testing::Test {
protected:
    void SetUp() override {
        rig = std::make_unique<LinkRig>();
        rig->open();
        rig->sensor().freezeMeasurement();
        rig->sink.clear();
    }
    std::unique_ptr<LinkRig> rig;
};

TEST_F(Exchange, ParameterHalvesTravelBothWays) {
    SensorLink& s = rig->sensorLink;
    rig->params.power = 777;
    ASSERT_EQ(s.SendParamHalf(kMemoryRam, 0, 1), 1);
    EXPECT_EQ(rig->takeRequest().left(8), QByteArray::fromHex("0055000100000309"));
    EXPECT_TRUE(rig->sink.saw(QStringLiteral("Transmit para0 - Line Ok!"), StatusLine::Main));
    EXPECT_EQ(rig->link.statusText, QStringLiteral("Transmission successful - Line Ok!"));
    EXPECT_EQ(rig->sensor().ramHalf(0)[0], 777);

    rig->params.umSlope = 70000;
    ASSERT_EQ(s.SendParamHalf(kMemoryEeprom, 1, 1), 1);
    const QByteArray para1 = rig->takeRequest();
    EXPECT_EQ(para1.left(6), QByteArray::fromHex("005500030001"));
    EXPECT_EQ(para1.mid(28, 4), QByteArray::fromHex("11700001"));
    EXPECT_TRUE(rig->sink.saw(QStringLiteral("Transmit para1 - Line Ok!"), StatusLine::Main));
    EXPECT_EQ(rig->sensor().eepromHalf(1)[11], 0x1170);

    sim::ParamHalf stored = rig->sensor().eepromHalf(0);
    stored[0] = 333;  // power
    stored[6] = 900;  // teach value
    rig->sensor().setEepromHalf(0, stored);
    ASSERT_EQ(s.GetParamHalf(kMemoryEeprom, 0, 1), 1);
    EXPECT_EQ(rig->takeRequest().left(8), QByteArray::fromHex("0055000400000309"));
    EXPECT_TRUE(rig->sink.saw(QStringLiteral("Waiting for parameter-frame ..."), StatusLine::Main));
    EXPECT_EQ(rig->link.statusText, QStringLiteral("Parameter-frame received! - Line Ok!"));
    EXPECT_EQ(rig->params.power, 333);
    EXPECT_EQ(rig->params.teachValue, 900);
    EXPECT_EQ(rig->band.teachLine[0], 900);

    ASSERT_EQ(s.GetParamHalf(kMemoryRam, 1, 1), 1);
    EXPECT_EQ(rig->takeRequest().left(6), QByteArray::fromHex("005500020001"));
    EXPECT_EQ(rig->params.umSlope, 70000u);

    // The File target is not the sensor's business.
    const ParamSet before = rig->params;
    EXPECT_EQ(s.GetParamHalf(kMemoryFile, 0, 1), 0);
    rig->pump.delay(0.05);
    EXPECT_TRUE(rig->sensor().receivedFrames().empty());
    EXPECT_EQ(rig->params, before);
}

TEST_F(Exchange, RawDataAndBlocks) {
    SensorLink& s = rig->sensorLink;
    rig->sensor().setMeasurement(100, 300);
    ASSERT_EQ(s.PushGETRAW(1), 8);
    EXPECT_EQ(rig->takeRequest().left(6), QByteArray::fromHex("005500080000"));
    EXPECT_EQ(rig->link.dataWords[0], 100);
    EXPECT_EQ(rig->link.dataWords[1], 300);
    EXPECT_EQ(rig->link.receiveFlag, 1);
    EXPECT_TRUE(rig->sink.saw(QStringLiteral("Line Ok!"), StatusLine::Main));

    rig->link.dataWords.fill(0x4444);  // block requests never carry these
    ASSERT_EQ(s.readBlockRun(1, 0), 1);
    EXPECT_EQ(rig->video.video, rig->sensor().lastVideo());
    EXPECT_EQ(rig->takeRequest(), frameHex("0055 0009 00C0 0000"));
    for (const char* text :
         {"Waiting for Data[64] Block 0 ...", "Waiting for Data[64] Block 1 ...",
          "Waiting for Data[64] Block 2 ...", "Waiting for Data[64] Block 3 ..."})
        EXPECT_TRUE(rig->sink.saw(QString::fromLatin1(text), StatusLine::Main)) << text;
    EXPECT_EQ(rig->link.statusText, QStringLiteral("Data[64] block received!"));
    EXPECT_TRUE(rig->bank.port(1)->callbackInstalled());

    sim::Profile curve{};
    for (int i = 0; i < 256; ++i) curve[i] = static_cast<std::uint16_t>(1000 + 3 * i);
    rig->sensor().setThresholds(2, curve);
    ASSERT_EQ(s.readBlockRun(1, 2), 1);
    EXPECT_EQ(rig->takeRequest(), frameHex("0055 0009 00C0 0002"));
    EXPECT_EQ(rig->video.thresholdArray, curve);

    // An offset off the block grid is sent as it is and stored from there.
    rig->video.thresholdArray.fill(0);
    rig->bank.installCallback(1, false);
    ASSERT_EQ(s.ReadData64(1, 32, 2), 1);
    rig->bank.installCallback(1, true);
    EXPECT_EQ(rig->takeRequest(), frameHex("0055 0009 0020 0002"));
    EXPECT_TRUE(
        rig->sink.saw(QStringLiteral("Waiting for Data[64] Block x ..."), StatusLine::Main));
    EXPECT_EQ(rig->video.thresholdArray[31], 0);
    EXPECT_EQ(rig->video.thresholdArray[32], 1000 + 3 * 32);
    EXPECT_EQ(rig->video.thresholdArray[95], 1000 + 3 * 95);
    EXPECT_EQ(rig->video.thresholdArray[96], 0);
}

TEST_F(Exchange, TeachResetThresholdAndRecord) {
    SensorLink& s = rig->sensorLink;
    ASSERT_EQ(s.TeachSetpoint(1), 1);
    EXPECT_EQ(rig->takeRequest().left(8), QByteArray::fromHex("00550006000001F4"));
    EXPECT_TRUE(rig->sink.saw(QStringLiteral("New setpoint value teached!"), StatusLine::Main));

    rig->link.stopFlag = kStopRunning;  // as while a run loop waits for its raw data
    ASSERT_EQ(s.ResetMaxMin(1), 1);
    EXPECT_EQ(rig->takeRequest().left(6), QByteArray::fromHex("0055000B0000"));
    EXPECT_TRUE(rig->sink.saw(QStringLiteral("Reset Max/Min values..."), StatusLine::Main));
    EXPECT_EQ(rig->link.statusText, QStringLiteral("Reset of analog-output Max/Min OK!"));
    EXPECT_EQ(rig->link.replyKind, kReplyRawData);
    rig->link.stopFlag = kStopByUser;

    ASSERT_EQ(s.ActivateAutoThdSave(1, 70, 2), 1);
    EXPECT_EQ(rig->takeRequest(), frameHex("0055 000D 0046 0002"));
    EXPECT_TRUE(rig->sink.saw(QStringLiteral("Save auto-video-threshold..."), StatusLine::Main));
    EXPECT_EQ(rig->link.statusText, QStringLiteral("Auto video-threshold saved in EEPROM!"));

    EXPECT_EQ(s.RequestRecordSample(1), kReplyRecord);
    EXPECT_EQ(rig->takeRequest().left(8), QByteArray::fromHex("00550012000001F4"));
}

TEST_F(Exchange, Calibration) {
    SensorLink& s = rig->sensorLink;
    ASSERT_EQ(s.ActivateCalibration(1), 1);
    EXPECT_EQ(rig->takeRequest().left(6), QByteArray::fromHex("0055000C0001"));
    EXPECT_TRUE(rig->sink.saw(QStringLiteral("Starting calibration..."), StatusLine::Main));
    EXPECT_EQ(rig->link.statusText, QStringLiteral("Calibration activated!"));
    EXPECT_TRUE(rig->sensor().calibrating());
    EXPECT_EQ(rig->params.umSlope,
              rig->sensor().ramHalf(1)[11] | (rig->sensor().ramHalf(1)[12] << 16));

    // 70000 and 32746 (an offset of -20.5 truncated), low word first.
    ASSERT_EQ(s.SaveCalibration(1, 70000, 32746), 1);
    EXPECT_EQ(rig->takeRequest(), frameHex("0055 000C 0002 1170 0001 7FEA 0000"));
    EXPECT_TRUE(rig->sink.saw(QStringLiteral("Save calibration values..."), StatusLine::Main));
    EXPECT_EQ(rig->link.statusText, QStringLiteral("New Calibration values in activated in RAM!"));
    EXPECT_EQ(rig->params.umSlope, 70000u);
    EXPECT_EQ(rig->params.umOffset, 32746u);

    rig->link.stopFlag = kStopRunning;
    ASSERT_EQ(s.StopCalibration(1), 1);
    EXPECT_EQ(rig->takeRequest().left(6), QByteArray::fromHex("0055000C0000"));
    EXPECT_EQ(rig->link.stopFlag, kStopByUser);
    EXPECT_TRUE(rig->sink.saw(QStringLiteral("Reset Max/Min values..."), StatusLine::Main));
    EXPECT_EQ(rig->link.statusText, QStringLiteral("Calibration stopped successfully!"));
    EXPECT_FALSE(rig->sensor().calibrating());
}

TEST_F(Exchange, TestTeachInAndXFlash) {
    SensorLink& s = rig->sensorLink;
    rig->link.dataWords.fill(0x4444);  // requests laid out word by word never carry these
    ASSERT_EQ(s.TestBUTTON(1, 512, 100, 50), 1);
    EXPECT_EQ(rig->takeRequest(), frameHex("0055 0010 0200 0064 0032"));
    EXPECT_TRUE(rig->sink.saw(QStringLiteral("activating TEST ..."), StatusLine::Main));
    EXPECT_EQ(rig->link.statusText, QStringLiteral("TEST-BUTTON-done-ok!"));

    ASSERT_EQ(s.ActivateTeach(1, 600, 20, 30), 1);
    EXPECT_EQ(rig->takeRequest(), frameHex("0055 0010 0258 0014 001E"));
    EXPECT_EQ(rig->link.mplexStatusText, QStringLiteral("TEACH-IN OK!"));

    ASSERT_EQ(s.ClearXFLASH(1), 1);
    EXPECT_EQ(rig->takeRequest(), frameHex("0055 0065 0000 00AA 00AA 00AA 00AA 00AA 00AA 00AA 00AA "
                                           "00AA 00AA 00AA 00AA 00AA 00AA 00AA"));
    EXPECT_TRUE(rig->sink.saw(QStringLiteral("clearing X-FLASH..."), StatusLine::Main));
    EXPECT_EQ(rig->link.statusText, QStringLiteral("X-FLASH-cleared!"));

    const std::array<std::uint16_t, 8> block{1, 2, 3, 4, 5, 6, 7, 0x8000};
    XFlashWrite w = s.WriteXFLASH(1, 16, 3, block);
    EXPECT_EQ(rig->takeRequest(), frameHex("0055 0066 0010 0003 0001 0002 0003 0004 0005 0006 "
                                           "0007 8000"));
    EXPECT_EQ(w.result, 1);
    EXPECT_EQ(w.blockStart, 272);
    EXPECT_FALSE(w.lastBlock);
    EXPECT_EQ(rig->link.statusText, QStringLiteral("X-FLASH-write OK: PAGE3 ..."));

    w = s.WriteXFLASH(1, 248, 9, block);
    EXPECT_TRUE(w.lastBlock);
    EXPECT_EQ(w.echoedPage, 9);
    EXPECT_EQ(w.echoedOffset, 248);
    EXPECT_EQ(rig->link.statusText, QStringLiteral("X-FLASH-write OK: PAGE9 ..."));
    EXPECT_EQ(rig->sink.last(), QStringLiteral("X-FLASH Data successfully written!"));
    const auto flash = rig->sensor().xflash();
    EXPECT_EQ(flash.at(9 * 256 + 248), 1);
    EXPECT_EQ(flash.at(9 * 256 + 255), 0x8000);
}

TEST_F(Exchange, BaudRateChangeReopensThePort) {
    SensorLink& s = rig->sensorLink;
    ASSERT_EQ(s.ChangeBaudRate(1, 4), 1);
    EXPECT_EQ(rig->takeRequest(), frameHex("0055 00BE 0004"));
    EXPECT_TRUE(rig->sink.saw(QStringLiteral("Try to change baudrate..."), StatusLine::Both));
    EXPECT_TRUE(rig->sink.saw(QStringLiteral("Baudrate-change OK!"), StatusLine::Both));
    const ComPort* port = rig->bank.port(1);
    EXPECT_TRUE(port->isOpen());
    EXPECT_EQ(port->baudRate(), 115200);
    EXPECT_EQ(port->queueSize(), 4096);
    EXPECT_TRUE(port->callbackInstalled());
    EXPECT_EQ(rig->sensor().currentBaud(), 115200);
    EXPECT_EQ(s.CheckComLine(1), 1);
}

}  // namespace
}  // namespace korvo::test
