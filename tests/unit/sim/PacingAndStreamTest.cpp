// Line-rate pacing: the transmit line's timing (no byte before its time, batches only in the
// middle of a reply), the exchange times it gives, the strict line rate; and the records a sensor
// sends by itself.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>

#include <algorithm>
#include <chrono>

#include "LineClient.h"
#include "sim/LineSchedule.h"
#include "support/TimeScale.h"

namespace korvo::sim::test {
namespace {

using std::chrono::nanoseconds;

QByteArray frame(char first) {
    QByteArray bytes(36, '\0');
    for (int i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(first + i);
    return bytes;
}

// What one byte of 10 bits takes at `baud`, as the schedule computes it.
Clock::duration byteTime(int baud) {
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(10.0 / baud));
}

// Hands out and takes everything due at `now`, as the serving thread does.
QByteArray send(LineSchedule& line, Clock::time_point now) {
    const QByteArray out = line.due(now);
    line.sent(out.size());
    return out;
}

TEST(LineSchedule, PacedBytesNeverLeaveBeforeTheirTimeAndEachReplyWaitsForTheOneBefore) {
    const Clock::time_point t0 = Clock::now();
    const Clock::duration b = byteTime(115200);
    LineSchedule line;
    const QByteArray reply = frame(1);
    line.queue(reply, t0, 115200);

    // The first byte is due one byte time after the start, not at it.
    EXPECT_TRUE(line.due(t0 + b - nanoseconds(1)).isEmpty());
    EXPECT_EQ(line.due(t0 + b), reply.left(1));

    // Walking the wake-ups the schedule asks for: each hands out at least one byte, none before
    // its time, and the last byte goes out exactly when it is due.
    QByteArray got;
    int wakes = 0;
    Clock::time_point lastWake{};
    while (!line.empty()) {
        const Clock::time_point wake = line.nextDue();
        ASSERT_GT(wake, lastWake);
        const int before = got.size();
        got += send(line, wake);
        ASSERT_GT(got.size(), before);
        EXPECT_LE(t0 + b * got.size(), wake);  // nothing early
        lastWake = wake;
        ++wakes;
    }
    EXPECT_EQ(got, reply);
    EXPECT_EQ(lastWake, t0 + b * 36);
    // Batched in the middle: far fewer wake-ups than bytes, yet more than one.
    EXPECT_GT(wakes, 1);
    EXPECT_LT(wakes, 12);

    // A reply waits for the one before; unpaced bytes go at once.
    LineSchedule two;
    two.queue(frame(1), t0, 115200);
    two.queue(frame(0x50), t0, 115200);  // asked for at the same time: starts after the first
    EXPECT_EQ(send(two, t0 + b * 36), frame(1));
    EXPECT_TRUE(two.due(t0 + b * 37 - nanoseconds(1)).isEmpty());
    EXPECT_EQ(send(two, t0 + b * 72), frame(0x50));
    EXPECT_TRUE(two.empty());
    EXPECT_EQ(two.nextDue(), Clock::time_point::max());

    // Whole replies: nothing before the last byte's time, then all of it.
    LineSchedule whole;
    whole.setWholeReplies(true);
    whole.queue(frame(1), t0, 115200);
    EXPECT_EQ(whole.nextDue(), t0 + b * 36);

    LineSchedule fast;
    fast.queue(frame(7), t0, 0);
    EXPECT_EQ(fast.nextDue(), t0);
    EXPECT_EQ(send(fast, t0), frame(7));
    EXPECT_TRUE(fast.empty());
}

// Median time of `runs` request/reply exchanges, in milliseconds.
double medianExchangeMs(LineClient& client, int runs) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        EXPECT_EQ(client.exchange(request(5, 0), 36).size(), 36);
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                .count());
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

using SensorPacing = SensorOnLine;

TEST_F(SensorPacing, ExchangeTakesTheLineTimeOfRequestAndReply) {
    config.pace = true;
    start();
    // 72 bytes of 10 bit times at 19200 baud: 37.5 ms.
    const double slow = medianExchangeMs(*client, 5);
    EXPECT_GT(slow, 35.0);
    EXPECT_LT(slow, 70.0 * korvo::test::timeScale());
    // The echo of the change leaves at the old rate; then 72 bytes at 115200: 6.25 ms.
    client->exchange(request(190, 4), 36);
    EXPECT_EQ(sensor->currentBaud(), 115200);
    const double fast = medianExchangeMs(*client, 5);
    EXPECT_GT(fast, 5.5);
    EXPECT_LT(fast, 30.0 * korvo::test::timeScale());
    sensor->setPacing(true, 40);
    const double late = medianExchangeMs(*client, 3);
    EXPECT_GT(late, 45.0);
    EXPECT_LT(late, 90.0 * korvo::test::timeScale());
}

// Sets the slave's line rate as a PC port does when it opens.
void setPortRate(const QString& path, speed_t rate) {
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    termios tio{};
    ASSERT_EQ(::tcgetattr(fd, &tio), 0);
    ::cfsetispeed(&tio, rate);
    ::cfsetospeed(&tio, rate);
    ASSERT_EQ(::tcsetattr(fd, TCSANOW, &tio), 0);
    ::close(fd);
}

TEST_F(SensorPacing, StrictBaudIgnoresRequestsAtAnotherRate) {
    config.strictBaud = true;
    start();
    setPortRate(sensor->devicePath(), B9600);
    client->send(request(5, 0));
    EXPECT_TRUE(client->read(36, 150).isEmpty());
    ASSERT_EQ(sensor->receivedFrames().size(), 1u);
    EXPECT_TRUE(sensor->receivedFrames()[0].garbled);

    // After a rate change the PC must follow: the old rate is no longer heard.
    setPortRate(sensor->devicePath(), B19200);
    EXPECT_EQ(client->exchange(request(190, 2), 36).size(), 36);
    EXPECT_TRUE(client->exchange(request(5, 0), 36, 150).isEmpty());
    setPortRate(sensor->devicePath(), B38400);
    EXPECT_EQ(client->exchange(request(5, 0), 36).size(), 36);
}

// The record layout is that of the record reply (SensorReplies); the records' values reach the
// recorder file in the command-line tests.
using SensorStream = SensorOnLine;

TEST_F(SensorStream, RecorderModeSendsRecordsUntilThePcTalksTriggerSendsOne) {
    EXPECT_FALSE(VirtualSensor().triggerRecord());  // not started
    config.recordPeriodMs = 40;
    config.recordQuietMs = 300;
    start();
    ASSERT_TRUE(sensor->triggerRecord());
    const QByteArray record = client->read(36, 500);
    ASSERT_EQ(record.size(), 36);
    EXPECT_EQ(word(record, 1), 18);

    // RS-232-Mode 4 in RAM starts the stream after the quiet time.
    ParamHalf h1 = sensor->ramHalf(1);
    h1[p1::kRs232Mode] = 4;
    sensor->setRamHalf(1, h1);
    EXPECT_EQ(client->exchange(request(5, 0), 36).size(), 36);
    EXPECT_TRUE(client->read(36, 200).isEmpty());  // quiet right after a request
    const QByteArray records = client->read(72, 800);
    ASSERT_EQ(records.size(), 72);
    EXPECT_EQ(word(records, 0), 0x00AA);
    EXPECT_EQ(word(records, 1), 18);
    EXPECT_EQ(word(records, 19), 18);

    client->send(request(0, 0));  // the dummy frame pauses the stream
    client->read(36, 30);         // a record already on its way may still come
    EXPECT_TRUE(client->read(36, 200).isEmpty());
}

}  // namespace
}  // namespace korvo::sim::test
