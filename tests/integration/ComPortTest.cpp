// The port layer against a bare pseudo-terminal pair, with the test writing the sensor's bytes.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <QByteArray>

#include "LinkRig.h"
#include "core/link/ComPort.h"

namespace korvo::test {
namespace {

class BarePty : public ::testing::Test {
protected:
    void SetUp() override {
        char name[128] = {};
        ASSERT_EQ(openpty(&master, &keeper, name, nullptr, nullptr), 0);
        termios t{};
        tcgetattr(master, &t);
        cfmakeraw(&t);
        tcsetattr(master, TCSANOW, &t);
        path = QString::fromLocal8Bit(name);
    }
    void TearDown() override {
        ::close(keeper);
        ::close(master);
    }
    void sensorWrites(const QByteArray& bytes) {
        ASSERT_EQ(::write(master, bytes.constData(), bytes.size()), bytes.size());
    }

    int master = -1;
    int keeper = -1;  // keeps the slave side alive while the port is closed
    QString path;
    LinkState link;
    QtPump pump;
};

TEST_F(BarePty, FullQueueDoesNotLeaveThePortDeaf) {
    ComPort port(1, link);
    ASSERT_EQ(port.open(path, 19200, 64), 0);

    // More than the queue holds arrives while nobody takes frames.
    sensorWrites(QByteArray(200, 'x'));
    pump.delay(0.1);
    EXPECT_EQ(port.inQLen(), 64);
    EXPECT_EQ(port.read(port.inQLen()), 64);
    port.flushIn();
    port.installCallback(true);

    sensorWrites(frameHex("00AA 0008 1234"));
    pump.delay(0.1);
    EXPECT_EQ(link.replyKind, kReplyRawData);
    EXPECT_EQ(link.dataWords[0], 0x1234);
}

TEST_F(BarePty, ReadNeverRunsPastTheReplyBuffer) {
    ComPort port(1, link);
    ASSERT_EQ(port.open(path, 115200, 8192), 0);
    QByteArray stream(5000, 'a');
    stream[4095] = 'z';
    stream[4096] = 'q';
    sensorWrites(stream);
    pump.delay(0.2);
    ASSERT_EQ(port.inQLen(), 5000);
    EXPECT_EQ(port.read(5000), kLinkBufferSize);
    EXPECT_EQ(link.rxBuf[4095], 'z');
    EXPECT_EQ(port.inQLen(), 0);  // the rest is discarded, not left for the next reply
}

TEST_F(BarePty, CallbackTakesOneFrameAndDiscardsTheRest) {
    ComPort port(1, link);
    ASSERT_EQ(port.open(path, 19200, 1024), 0);
    port.installCallback(true);
    sensorWrites(frameHex("00AA 0013 0001 0002") + QByteArray("tail"));
    pump.delay(0.1);
    EXPECT_EQ(link.replyKind, kReplyRecord);
    EXPECT_EQ(link.receiveFlag, 1);
    EXPECT_EQ(link.dataWords[0], 1);
    EXPECT_EQ(port.inQLen(), 0);

    // Fewer than 36 bytes raise nothing.
    link.replyKind = kReplyNone;
    sensorWrites(QByteArray(35, '\0'));
    pump.delay(0.1);
    EXPECT_EQ(link.replyKind, kReplyNone);
    EXPECT_EQ(port.inQLen(), 35);
}

}  // namespace
}  // namespace korvo::test
