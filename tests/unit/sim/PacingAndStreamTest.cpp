// Line-rate pacing and the records a sensor sends by itself.

#include <fcntl.h>
#include <termios.h>

#include <algorithm>

#include "LineClient.h"
#include "support/TimeScale.h"

namespace korvo::sim {
namespace {

using test::LineClient;
using test::request;
using test::word;

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

SensorConfig silent() {
    SensorConfig c;
    c.recordPeriodMs = 0;
    return c;
}

TEST(SensorPacing, ExchangeTakesTheLineTimeOfRequestAndReply) {
    SensorConfig c = silent();
    c.pace = true;
    VirtualSensor sensor(c);
    ASSERT_TRUE(sensor.start());
    LineClient client(sensor.devicePath());
    // 72 bytes of 10 bit times at 19200 baud: 37.5 ms.
    const double slow = medianExchangeMs(client, 5);
    EXPECT_GT(slow, 35.0);
    EXPECT_LT(slow, 70.0 * korvo::test::timeScale());
    // The echo of the change leaves at the old rate; then 72 bytes at 115200: 6.25 ms.
    client.exchange(request(190, 4), 36);
    EXPECT_EQ(sensor.currentBaud(), 115200);
    const double fast = medianExchangeMs(client, 5);
    EXPECT_GT(fast, 5.5);
    EXPECT_LT(fast, 30.0 * korvo::test::timeScale());
    sensor.setPacing(true, 40);
    const double late = medianExchangeMs(client, 3);
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

TEST(SensorPacing, StrictBaudIgnoresRequestsAtAnotherRate) {
    SensorConfig c = silent();
    c.strictBaud = true;
    VirtualSensor sensor(c);
    ASSERT_TRUE(sensor.start());
    LineClient client(sensor.devicePath());
    setPortRate(sensor.devicePath(), B9600);
    client.send(request(5, 0));
    EXPECT_TRUE(client.read(36, 150).isEmpty());
    ASSERT_EQ(sensor.receivedFrames().size(), 1u);
    EXPECT_TRUE(sensor.receivedFrames()[0].garbled);

    // After a rate change the PC must follow: the old rate is no longer heard.
    setPortRate(sensor.devicePath(), B19200);
    EXPECT_EQ(client.exchange(request(190, 2), 36).size(), 36);
    EXPECT_TRUE(client.exchange(request(5, 0), 36, 150).isEmpty());
    setPortRate(sensor.devicePath(), B38400);
    EXPECT_EQ(client.exchange(request(5, 0), 36).size(), 36);
}

TEST(SensorStream, RecorderModeSendsRecordsUntilThePcTalks) {
    SensorConfig c;
    c.noise = false;
    c.recordPeriodMs = 40;
    c.recordQuietMs = 300;
    VirtualSensor sensor(c);
    ASSERT_TRUE(sensor.start());
    sensor.setMeasurement(1200, 2400);
    LineClient client(sensor.devicePath());

    // RS-232-Mode 1 in RAM starts the stream after the quiet time.
    ParamHalf h1 = sensor.ramHalf(1);
    h1[p1::kRs232Mode] = 1;
    QByteArray set = request(1, 1);
    for (int i = 0; i < 15; ++i) {
        set[6 + 2 * i] = static_cast<char>(h1[i] >> 8);
        set[7 + 2 * i] = static_cast<char>(h1[i] & 0xFF);
    }
    EXPECT_EQ(client.exchange(set, 36).size(), 36);
    EXPECT_TRUE(client.read(36, 200).isEmpty());  // quiet right after a request
    const QByteArray records = client.read(72, 800);
    ASSERT_EQ(records.size(), 72);
    EXPECT_EQ(word(records, 0), 0x00AA);
    EXPECT_EQ(word(records, 1), 18);
    EXPECT_EQ(word(records, 2), 2400);  // measured value (Eval-Mode 1: right edge)
    EXPECT_EQ(word(records, 3), 1200);
    EXPECT_EQ(word(records, 4), 2400);
    EXPECT_EQ(word(records, 19), 18);

    client.send(request(0, 0));  // the dummy frame pauses the stream
    client.read(36, 30);         // a record already on its way may still come
    EXPECT_TRUE(client.read(36, 200).isEmpty());
}

TEST(SensorStream, TriggerSendsOneRecord) {
    VirtualSensor sensor(silent());
    EXPECT_FALSE(sensor.triggerRecord());  // not started
    ASSERT_TRUE(sensor.start());
    LineClient client(sensor.devicePath());
    ASSERT_TRUE(sensor.triggerRecord());
    const QByteArray record = client.read(36, 500);
    ASSERT_EQ(record.size(), 36);
    EXPECT_EQ(word(record, 1), 18);
    EXPECT_TRUE(client.read(36, 100).isEmpty());
}

}  // namespace
}  // namespace korvo::sim
