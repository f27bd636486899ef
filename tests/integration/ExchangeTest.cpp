// Every exchange's request frame, byte for byte, and what its reply leaves behind.

#include "LinkRig.h"

namespace korvo::test {
namespace {

class Exchange : public OpenRig {
protected:
    // Checks one exchange: its result, its request (a whole frame, or only its first bytes when
    // the words end in " *"), a text shown on the way and the status left (either may be null).
    void expectExchange(int got, int want, const char* request, const char* shown = nullptr,
                        const char* status = nullptr) {
        EXPECT_EQ(got, want) << request;
        last = rig->takeRequest();
        QByteArray words(request);
        const QByteArray start = hex(words.chopped(2));
        EXPECT_EQ(words.endsWith(" *") ? last.left(start.size()) : last,
                  words.endsWith(" *") ? start : frameHex(request));
        if (shown) {
            EXPECT_TRUE(rig->sink.saw(QString::fromLatin1(shown))) << shown;
        }
        if (status) {
            EXPECT_EQ(rig->scope.link.statusText, QString::fromLatin1(status));
        }
    }
    static QByteArray hex(const QByteArray& words) {
        return QByteArray::fromHex(QByteArray(words).replace(' ', ""));
    }
    QByteArray last;
};

TEST_F(Exchange, LineChecksAndFirmwareInfo) {
    PortSensor& s = rig->scope;
    expectExchange(s.WriteDummyFrame(1), 1, "0055 0000 0000", nullptr,
                   "Writing RS-232 dummy frame ok!");
    // The scope window's check carries para0 (the defaults here).
    expectExchange(s.CheckComLine(1), 1,
                   "0055 0005 0000 01F4 0001 0001 0001 0001 0400 0200 0064 0064 0001 0000 0000 "
                   "0000 0001 0000",
                   nullptr, "Echo Check - Line Ok!   SN:4711");
    // The multiplexer's check carries zero words and shows nothing itself.
    rig->sink.clear();
    expectExchange(s.Check232Line(1), 1, "0055 0005 0000", nullptr, "Line OK!   SN:4711");
    EXPECT_EQ(rig->scope.link.mplexStatusText, QStringLiteral("Line OK!   SN:4711"));
    EXPECT_TRUE(rig->sink.shown.empty());

    expectExchange(s.GetVERSIONInfo(1) >= 72, 1, "0055 0007 0000 *");
    EXPECT_TRUE(rig->sink.saw(QStringLiteral("Waiting for firmware info ..."), StatusLine::Both));
    EXPECT_TRUE(rig->scope.link.firmwareText.startsWith(QLatin1String("KORVO-KM")));
    EXPECT_EQ(rig->scope.link.statusText, rig->scope.link.firmwareText);

    // The hardware words name a row of the model table (the words themselves: ScriptedReply).
    const HardwareQuery hw = s.GetHARDWAREInfo(1);
    expectExchange(hw.result, 1, "0055 000A 0000 *");
    ASSERT_TRUE(hw.profile.has_value());
    EXPECT_TRUE(hw.profile->rowMatched);
    EXPECT_EQ(rig->scope.model.variantCode, 80);
}

TEST_F(Exchange, ParameterHalvesTravelBothWays) {
    PortSensor& s = rig->scope;
    rig->scope.params.power = 777;
    expectExchange(s.SendParamHalf(kMemoryRam, 0, 1), 1, "0055 0001 0000 0309 *",
                   "Transmit para0 - Line Ok!", "Transmission successful - Line Ok!");
    EXPECT_EQ(rig->sensor().ramHalf(0)[0], 777);

    rig->scope.params.umSlope = 70000;
    expectExchange(s.SendParamHalf(kMemoryEeprom, 1, 1), 1, "0055 0003 0001 *",
                   "Transmit para1 - Line Ok!");
    EXPECT_EQ(last.mid(28, 4), hex("1170 0001"));
    EXPECT_EQ(rig->sensor().eepromHalf(1)[11], 0x1170);

    sim::ParamHalf stored = rig->sensor().eepromHalf(0);
    stored[0] = 333;  // power
    stored[6] = 900;  // teach value
    rig->sensor().setEepromHalf(0, stored);
    expectExchange(s.GetParamHalf(kMemoryEeprom, 0, 1, s.params), 1, "0055 0004 0000 0309 *",
                   "Waiting for parameter-frame ...", "Parameter-frame received! - Line Ok!");
    EXPECT_EQ(rig->scope.params.power, 333);
    EXPECT_EQ(rig->scope.params.teachValue, 900);
    EXPECT_EQ(rig->scope.band.teachLine[0], 900);

    expectExchange(s.GetParamHalf(kMemoryRam, 1, 1, s.params), 1, "0055 0002 0001 *");
    EXPECT_EQ(rig->scope.params.umSlope, 70000u);

    const ParamSet before = rig->scope.params;  // the File target is not the sensor's business
    EXPECT_EQ(s.GetParamHalf(kMemoryFile, 0, 1, s.params), 0);
    rig->pump.delay(0.05);
    EXPECT_TRUE(rig->sensor().receivedFrames().empty());
    EXPECT_EQ(rig->scope.params, before);
}

TEST_F(Exchange, RawDataAndBlocks) {
    PortSensor& s = rig->scope;
    rig->sensor().setMeasurement(100, 300);
    expectExchange(s.PushGETRAW(1), 8, "0055 0008 0000 *", "Line Ok!");
    EXPECT_EQ(rig->scope.link.dataWords[0], 100);
    EXPECT_EQ(rig->scope.link.dataWords[1], 300);
    EXPECT_EQ(rig->scope.link.receiveFlag, 1);

    rig->scope.link.dataWords.fill(0x4444);  // block requests never carry these
    expectExchange(s.readBlockRun(1, 0), 1, "0055 0009 00C0 0000", "Data[64] block received!",
                   "Data[64] block received!");
    EXPECT_EQ(rig->scope.video.video, rig->sensor().lastVideo());
    for (int b = 0; b < 4; ++b)
        EXPECT_TRUE(rig->sink.saw(QStringLiteral("Waiting for Data[64] Block %1 ...").arg(b)));
    EXPECT_TRUE(rig->bank.port(1)->callbackInstalled());

    sim::Profile curve{};
    for (int i = 0; i < 256; ++i) curve[i] = static_cast<std::uint16_t>(1000 + 3 * i);
    rig->sensor().setThresholds(2, curve);
    expectExchange(s.readBlockRun(1, 2), 1, "0055 0009 00C0 0002");
    EXPECT_EQ(rig->scope.video.thresholdArray, curve);

    // An offset off the block grid is sent as it is and stored from there.
    rig->scope.video.thresholdArray.fill(0);
    rig->bank.installCallback(1, false);
    expectExchange(s.ReadData64(1, 32, 2), 1, "0055 0009 0020 0002",
                   "Waiting for Data[64] Block x ...");
    rig->bank.installCallback(1, true);
    EXPECT_EQ(rig->scope.video.thresholdArray[31], 0);
    EXPECT_EQ(rig->scope.video.thresholdArray[32], 1000 + 3 * 32);
    EXPECT_EQ(rig->scope.video.thresholdArray[95], 1000 + 3 * 95);
    EXPECT_EQ(rig->scope.video.thresholdArray[96], 0);
}

TEST_F(Exchange, TeachResetThresholdRecordAndCalibration) {
    PortSensor& s = rig->scope;
    expectExchange(s.TeachSetpoint(1), 1, "0055 0006 0000 01F4 *", "New setpoint value teached!");
    rig->scope.link.stopFlag = kStopRunning;  // as while a run loop waits for its raw data
    expectExchange(s.ResetMaxMin(1), 1, "0055 000B 0000 *", "Reset Max/Min values...",
                   "Reset of analog-output Max/Min OK!");
    EXPECT_EQ(rig->scope.link.replyKind, kReplyRawData);
    rig->scope.link.stopFlag = kStopByUser;
    expectExchange(s.ActivateAutoThdSave(1, 70, 2), 1, "0055 000D 0046 0002",
                   "Save auto-video-threshold...", "Auto video-threshold saved in EEPROM!");
    expectExchange(s.RequestRecordSample(1), kReplyRecord, "0055 0012 0000 01F4 *");

    expectExchange(s.ActivateCalibration(1), 1, "0055 000C 0001 *", "Starting calibration...",
                   "Calibration activated!");
    EXPECT_TRUE(rig->sensor().calibrating());
    EXPECT_EQ(rig->scope.params.umSlope, 1024u);  // the sensor's factory slope
    // 70000 and 32746 (an offset of -20.5 truncated), low word first.
    expectExchange(s.SaveCalibration(1, 70000, 32746), 1, "0055 000C 0002 1170 0001 7FEA 0000",
                   "Save calibration values...", "New Calibration values in activated in RAM!");
    EXPECT_EQ(rig->scope.params.umSlope, 70000u);
    EXPECT_EQ(rig->scope.params.umOffset, 32746u);
    rig->scope.link.stopFlag = kStopRunning;
    rig->sink.clear();  // the stop shows the reset's text too
    expectExchange(s.StopCalibration(1), 1, "0055 000C 0000 *", "Reset Max/Min values...",
                   "Calibration stopped successfully!");
    EXPECT_EQ(rig->scope.link.stopFlag, kStopByUser);
    EXPECT_FALSE(rig->sensor().calibrating());
}

TEST_F(Exchange, TestTeachInAndXFlash) {
    PortSensor& s = rig->scope;
    rig->scope.link.dataWords.fill(0x4444);  // requests laid out word by word never carry these
    expectExchange(s.TestBUTTON(1, 512, 100, 50), 1, "0055 0010 0200 0064 0032",
                   "activating TEST ...", "TEST-BUTTON-done-ok!");
    expectExchange(s.ActivateTeach(1, 600, 20, 30), 1, "0055 0010 0258 0014 001E");
    EXPECT_EQ(rig->scope.link.mplexStatusText, QStringLiteral("TEACH-IN OK!"));
    expectExchange(s.ClearXFLASH(1), 1,
                   "0055 0065 0000 00AA 00AA 00AA 00AA 00AA 00AA 00AA 00AA 00AA 00AA 00AA 00AA "
                   "00AA 00AA 00AA",
                   "clearing X-FLASH...", "X-FLASH-cleared!");
    EXPECT_EQ(rig->sink.last(), QStringLiteral("X-FLASH-cleared!"));

    const std::array<std::uint16_t, 8> block{1, 2, 3, 4, 5, 6, 7, 0x8000};
    XFlashWrite w = s.WriteXFLASH(1, 16, 3, block);
    expectExchange(w.result, 1, "0055 0066 0010 0003 0001 0002 0003 0004 0005 0006 0007 8000",
                   nullptr, "X-FLASH-write OK: PAGE3 ...");
    EXPECT_EQ(w.blockStart, 272);
    EXPECT_FALSE(w.lastBlock);
    w = s.WriteXFLASH(1, 248, 9, block);
    EXPECT_TRUE(w.lastBlock);  // the echo's page and offset, by isLastXFlashBlock
    EXPECT_EQ(rig->sink.last(), QStringLiteral("X-FLASH Data successfully written!"));
    EXPECT_EQ(rig->sensor().xflash().at(9 * 256 + 255), 0x8000);
}

TEST_F(Exchange, BaudRateChangeReopensThePort) {
    expectExchange(rig->scope.ChangeBaudRate(1, 4), 1, "0055 00BE 0004");
    EXPECT_TRUE(rig->sink.saw(QStringLiteral("Try to change baudrate..."), StatusLine::Both));
    EXPECT_TRUE(rig->sink.saw(QStringLiteral("Baudrate-change OK!"), StatusLine::Both));
    const ComPort* port = rig->bank.port(1);
    EXPECT_TRUE(port->isOpen());
    EXPECT_EQ(port->baudRate(), 115200);
    EXPECT_EQ(port->queueSize(), 4096);
    EXPECT_TRUE(port->callbackInstalled());
    EXPECT_EQ(rig->sensor().currentBaud(), 115200);
    EXPECT_EQ(rig->scope.CheckComLine(1), 1);
}

}  // namespace
}  // namespace korvo::test
