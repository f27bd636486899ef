// Injected faults: what the PC side sees on its line.

#include <gtest/gtest.h>

#include <chrono>

#include "LineClient.h"
#include "sim/VirtualSensor.h"

namespace korvo::sim {
namespace {

using test::LineClient;
using test::request;
using test::word;

class SensorFaults : public ::testing::Test {
protected:
    void SetUp() override {
        SensorConfig c;
        c.noise = false;
        c.recordPeriodMs = 0;
        sensor = std::make_unique<VirtualSensor>(c);
        ASSERT_TRUE(sensor->start());
        client = std::make_unique<LineClient>(sensor->devicePath());
    }
    std::unique_ptr<VirtualSensor> sensor;
    std::unique_ptr<LineClient> client;
};

TEST_F(SensorFaults, FrameLengthsAndSync) {
    const QByteArray good = client->exchange(request(5, 0), 36);
    ASSERT_EQ(good.size(), 36);

    sensor->setFault(Fault::ShortReply, 5, 1);
    client->send(request(5, 0));
    EXPECT_EQ(client->readFor(150), good.left(35));

    sensor->setFault(Fault::LongReply, 5, 1);
    client->send(request(5, 0));
    const QByteArray longer = client->readFor(150);
    ASSERT_EQ(longer.size(), 40);
    EXPECT_EQ(longer.left(36), good);

    sensor->setFault(Fault::NoSync, 5, 1);
    const QByteArray unsynced = client->exchange(request(5, 0), 36);
    ASSERT_EQ(unsynced.size(), 36);
    EXPECT_NE(word(unsynced, 0), 0x00AA);
    EXPECT_NE(word(unsynced, 1), 0x00AA);
    EXPECT_EQ(unsynced.mid(2), good.mid(2));

    sensor->setFault(Fault::Garbage, 5, 1);
    const QByteArray garbage = client->exchange(request(5, 0), 36);
    ASSERT_EQ(garbage.size(), 36);
    EXPECT_NE(word(garbage, 0), 0x00AA);
    EXPECT_NE(word(garbage, 1), 0x00AA);

    // Counted rules are used up: the line is good again.
    EXPECT_EQ(client->exchange(request(5, 0), 36), good);

    // A dummy frame, which gets no reply, does not use up a rule for any command.
    sensor->setFault(Fault::ShortReply, -1, 1);
    client->send(request(0, 0));
    client->send(request(5, 0));
    EXPECT_EQ(client->readFor(150).size(), 35);
}

TEST_F(SensorFaults, SilenceAndLateness) {
    sensor->setFault(Fault::NoReply, 10);  // forever, but only for code 10
    client->send(request(10, 0));
    EXPECT_TRUE(client->readFor(150).isEmpty());
    EXPECT_EQ(client->exchange(request(5, 0), 36).size(), 36);
    client->send(request(10, 0));
    EXPECT_TRUE(client->readFor(100).isEmpty());
    sensor->clearFaults();
    EXPECT_EQ(client->exchange(request(10, 0), 36).size(), 36);

    sensor->setFault(Fault::LateReply, -1, 1, 300);
    const auto t0 = std::chrono::steady_clock::now();
    client->send(request(11, 0));
    EXPECT_TRUE(client->read(36, 150).isEmpty());
    EXPECT_EQ(client->read(36, 1000).size(), 36);
    EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(290));
}

TEST_F(SensorFaults, StreamRepliesOfWrongLength) {
    sensor->setFault(Fault::ShortReply, 7, 1);
    client->send(request(7, 0));
    EXPECT_EQ(client->readFor(150).size(), 60);

    sensor->setFault(Fault::LongReply, 9, 1);
    client->send(request(9, 0, {1}));
    EXPECT_EQ(client->readFor(150).size(), 130);

    sensor->setFault(Fault::ShortReply, 9, 1);
    client->send(request(9, 0, {1}));
    EXPECT_EQ(client->readFor(150).size(), 100);
}

TEST_F(SensorFaults, HangUpThenReopen) {
    const QString oldPath = sensor->devicePath();
    sensor->setFault(Fault::HangUp, 8, 1);
    client->send(request(8, 0));
    EXPECT_TRUE(client->read(36, 1000).isEmpty());
    EXPECT_TRUE(client->hungUp());

    const QString path = sensor->reopen();
    ASSERT_FALSE(path.isEmpty());
    {
        LineClient first(path);
        EXPECT_EQ(word(first.exchange(request(8, 0), 36), 1), 8);
    }
    // The PC closing its side does not end the sensor: the next opener is served.
    LineClient second(path);
    ASSERT_TRUE(second.isOpen());
    EXPECT_EQ(second.exchange(request(5, 0), 36).size(), 36);

    // Hanging up by hand works the same way.
    sensor->hangUp();
    EXPECT_TRUE(second.read(36, 300).isEmpty());
    EXPECT_TRUE(second.hungUp());
    EXPECT_FALSE(oldPath.isEmpty());
}

}  // namespace
}  // namespace korvo::sim
