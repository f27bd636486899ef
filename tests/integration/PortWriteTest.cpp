// Writing and emptying the queues of a port against a bare pseudo-terminal pair, with the test
// reading and writing the sensor's end itself.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <QByteArray>
#include <thread>

#include "LinkRig.h"
#include "core/link/ComPort.h"
#include "core/link/PortSettings.h"

namespace korvo::test {
namespace {

class PortWrite : public ::testing::Test {
protected:
    void SetUp() override {
        char name[128] = {};
        ASSERT_EQ(openpty(&master, &keeper, name, nullptr, nullptr), 0);
        termios t{};
        tcgetattr(master, &t);
        cfmakeraw(&t);
        tcsetattr(master, TCSANOW, &t);
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
        path = QString::fromLocal8Bit(name);
    }
    void TearDown() override {
        ::close(keeper);
        ::close(master);
    }
    void sensorWrites(const QByteArray& bytes) {
        ASSERT_EQ(::write(master, bytes.constData(), bytes.size()), bytes.size());
    }
    // Everything the port sends, read at the sensor's end while the pump runs, until `count`
    // bytes came or two seconds passed.
    QByteArray sensorReads(int count) {
        QByteArray got;
        char buf[4096];
        const double end = pump.now() + 2.0;
        while (got.size() < count && pump.now() < end) {
            pump.processEvents();
            const ssize_t n = ::read(master, buf, sizeof buf);
            if (n > 0)
                got.append(buf, static_cast<int>(n));
            else
                pump.waitForEvents(pump.now() + 0.001);
        }
        return got;
    }

    int master = -1;
    int keeper = -1;  // keeps the slave side alive
    QString path;
    LinkState link;
    QtPump pump;
};

TEST_F(PortWrite, FramesBeyondAFullDriverQueueStillLeaveInOrder) {
    ComPort port(1, link);
    ASSERT_EQ(port.open(path, 115200, 4096), 0);

    // Far more than the driver holds is written while nobody reads: the frames that do not fit
    // wait in the port. Then the sensor takes some bytes, so the driver has room again before
    // the port has had a chance to send what waits: later frames must not overtake it.
    QByteArray sent;
    std::uint8_t frame[kFrameBytes] = {};
    const auto writeFrames = [&](int from, int to) {
        for (int i = from; i < to; ++i) {
            frame[0] = static_cast<std::uint8_t>(i >> 8);
            frame[1] = static_cast<std::uint8_t>(i & 0xFF);
            frame[35] = static_cast<std::uint8_t>(i * 7);
            ASSERT_EQ(port.write(frame, kFrameBytes), kFrameBytes) << "frame " << i;
            sent.append(reinterpret_cast<const char*>(frame), kFrameBytes);
        }
    };
    writeFrames(0, 3000);
    QByteArray got(8192, '\0');
    const ssize_t early = ::read(master, got.data(), got.size());
    ASSERT_GT(early, 0);
    got.resize(static_cast<int>(early));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    writeFrames(3000, 6000);
    got += sensorReads(sent.size() - got.size());
    ASSERT_EQ(got.size(), sent.size());
    EXPECT_TRUE(got == sent) << "bytes arrived out of order";
    // A full queue is no lost device.
    EXPECT_FALSE(port.isBroken());
    EXPECT_TRUE(port.isOpen());
}

TEST_F(PortWrite, EmptyingBothQueuesDiscardsBytesWhereverTheyWait) {
    ComPort port(1, link);
    EXPECT_EQ(port.flushInThenOut(), kErrPortNotOpen);
    ASSERT_EQ(port.open(path, 19200, 1024), 0);

    // Already taken in by the port.
    sensorWrites(QByteArray(50, 'a'));
    pump.delay(0.05);
    ASSERT_EQ(port.inQLen(), 50);
    EXPECT_EQ(port.flushInThenOut(), 0);
    EXPECT_EQ(port.inQLen(), 0);

    // Still in the driver: no event has run since they came.
    sensorWrites(QByteArray(40, 'b'));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(port.flushInThenOut(), 0);
    pump.delay(0.05);
    EXPECT_EQ(port.inQLen(), 0);

    // The next frame arrives whole.
    port.installCallback(true);
    sensorWrites(frameHex("00AA 0008 4321"));
    pump.delay(0.1);
    EXPECT_EQ(link.replyKind, kReplyRawData);
    EXPECT_EQ(link.dataWords[0], 0x4321);
}

TEST(PortWriteHangUp, WritingIntoALineThatHungUpEndsTheExchangeAtOnce) {
    LinkRig rig;
    rig.open();
    // No event runs between the hang-up and the request: the write itself meets the dead line.
    rig.sensor().hangUp();
    const double start = rig.pump.now();
    EXPECT_EQ(rig.sensorLink.PushGETRAW(1), 0);
    EXPECT_LT(rig.pump.now() - start, 0.3);
    EXPECT_TRUE(rig.bank.isBroken(1));
    EXPECT_FALSE(rig.bank.isOpen(1));
}

}  // namespace
}  // namespace korvo::test
