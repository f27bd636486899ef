// Replies that a well-behaved sensor never sends, written by the test on a bare pseudo-terminal:
// every 36-byte request is answered with the one frame the test has set.

#include <gtest/gtest.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <QFile>
#include <QSocketNotifier>
#include <memory>

#include "LinkRig.h"

namespace korvo::test {
namespace {

class ScriptedReply : public ::testing::Test {
protected:
    void SetUp() override {
        char name[128] = {};
        ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
        termios t{};
        tcgetattr(master, &t);
        cfmakeraw(&t);
        tcsetattr(master, TCSANOW, &t);

        QFile map(dir.filePath(QStringLiteral("COMPORTS.map")));
        ASSERT_TRUE(map.open(QIODevice::WriteOnly));
        map.write("COM1 = " + QByteArray(name) + "\n");
        map.close();
        bank = std::make_unique<PortBank>(link, map.fileName());
        sensorLink =
            std::make_unique<SensorLink>(link, *bank, pump, sink, params, band, model, video);

        notifier = std::make_unique<QSocketNotifier>(master, QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, [this] { answer(); });
        ASSERT_EQ(sensorLink->InitRS232(1, 1), 0) << bank->errorDetail(1).toStdString();
    }
    void TearDown() override {
        notifier.reset();
        bank->closeAll();
        ::close(slave);
        ::close(master);
    }

    // Takes what the program wrote and answers each complete request with the set reply.
    void answer() {
        char buffer[256];
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n <= 0) return;
        pending.append(buffer, static_cast<qsizetype>(n));
        while (pending.size() >= kFrameBytes) {
            pending.remove(0, kFrameBytes);
            ASSERT_EQ(::write(master, reply.constData(), reply.size()), reply.size());
        }
    }

    QTemporaryDir dir;
    int master = -1;
    int slave = -1;  // keeps the pseudo-terminal alive while the port is closed
    QByteArray pending;
    QByteArray reply;
    std::unique_ptr<QSocketNotifier> notifier;

    LinkState link;
    RecordingSink sink;
    QtPump pump;
    ParamSet params;
    ToleranceBand band;
    ModelState model;
    VideoBuffers video;
    std::unique_ptr<PortBank> bank;
    std::unique_ptr<SensorLink> sensorLink;
};

TEST_F(ScriptedReply, LineCheckFailsOnAReplyOfAnotherKindAndKeepsTheStatusText) {
    for (const char* frame : {"00AA 0008 1234", "00AA 0012 1234", "00AA 0013 1234"}) {
        SCOPED_TRACE(frame);
        reply = frameHex(frame);
        link.statusText = QStringLiteral("before");
        EXPECT_EQ(sensorLink->CheckComLine(1), 0);
        EXPECT_EQ(link.statusText, QStringLiteral("before"));
    }
    // The same sync word in an echo passes.
    reply = frameHex("00AA 0005 0309");
    EXPECT_EQ(sensorLink->CheckComLine(1), 1);
    EXPECT_EQ(link.statusText, QStringLiteral("Echo Check - Line Ok!   SN:777"));
}

TEST_F(ScriptedReply, HardwareEchoOfAnotherCommandStoresTheWordsButDerivesNothing) {
    // Word 1 is 11, not 10: family 1, pixel count 8192, firmware 312, variant 80, video 1024.
    reply = frameHex("00AA 000B 0001 0003 0004 0005 2000 0007 0008 0009 0138 0050 0400");
    const HardwareQuery query = sensorLink->GetHARDWAREInfo(1);
    EXPECT_EQ(query.result, 0);
    EXPECT_FALSE(query.profile.has_value());
    EXPECT_EQ(model.familyCode, 1);
    EXPECT_EQ(model.pixelCount, 8192);
    EXPECT_EQ(model.firmwareVersion, 312);
    EXPECT_EQ(model.variantCode, 80);
    EXPECT_EQ(model.info.word7, 7);
    // Nothing derived: start-up pixel range, video x table, full scale and hardware type.
    EXPECT_EQ(model.lastPixel, 1024);
    EXPECT_EQ(model.videoX[1], 4.0);
    EXPECT_EQ(model.videoFullScale, 255);
    EXPECT_EQ(model.hardwareType, 0);

    // The same words with the right echo: the model table applies.
    reply[3] = 0x0A;
    const HardwareQuery good = sensorLink->GetHARDWAREInfo(1);
    EXPECT_EQ(good.result, 1);
    EXPECT_EQ(model.lastPixel, 8192);
    EXPECT_EQ(model.videoX[1], 32.0);
    EXPECT_EQ(model.videoFullScale, 1024);
    EXPECT_EQ(model.hardwareType, 1);
}

TEST_F(ScriptedReply, HardwareQueryAnsweredWithRawDataStoresNothing) {
    reply = frameHex("00AA 0008 0001 0003 0004 0005 2000 0007 0008 0009 0138 0050 0400");
    const HardwareQuery query = sensorLink->GetHARDWAREInfo(1);
    EXPECT_EQ(query.result, 0);
    EXPECT_EQ(model.familyCode, 0);
    EXPECT_EQ(model.pixelCount, 4096);
    EXPECT_EQ(model.firmwareVersion, 0);
}

}  // namespace
}  // namespace korvo::test
