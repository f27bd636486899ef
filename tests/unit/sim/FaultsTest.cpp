// Injected faults: what the PC side sees on its line.

#include <chrono>

#include "LineClient.h"

namespace korvo::sim {
namespace {

using test::LineClient;
using test::request;
using test::word;
using SensorFaults = test::SensorOnLine;

TEST_F(SensorFaults, FrameLengthsAndSync) {
    const QByteArray good = client->exchange(request(5, 0), 36);
    ASSERT_EQ(good.size(), 36);
    sensor.setFault(Fault::ShortReply, 5, 1);
    client->send(request(5, 0));
    EXPECT_EQ(client->readFor(150), good.left(35));

    sensor.setFault(Fault::LongReply, 5, 1);
    client->send(request(5, 0));
    const QByteArray longer = client->readFor(150);
    ASSERT_EQ(longer.size(), 40);
    EXPECT_EQ(longer.left(36), good);

    for (Fault f : {Fault::NoSync, Fault::Garbage}) {
        sensor.setFault(f, 5, 1);
        const QByteArray bad = client->exchange(request(5, 0), 36);
        ASSERT_EQ(bad.size(), 36);
        EXPECT_NE(word(bad, 0), 0x00AA);
        EXPECT_NE(word(bad, 1), 0x00AA);
        if (f == Fault::NoSync) {
            EXPECT_EQ(bad.mid(2), good.mid(2));
        }
    }
    EXPECT_EQ(client->exchange(request(5, 0), 36), good);  // counted rules are used up

    // A dummy frame, which gets no reply, does not use up a rule for any command.
    sensor.setFault(Fault::ShortReply, -1, 1);
    client->send(request(0, 0));
    client->send(request(5, 0));
    EXPECT_EQ(client->readFor(150).size(), 35);

    // Stream replies: firmware text of 60, blocks of 130 and 100 bytes.
    const struct {
        Fault fault;
        std::uint16_t code;
        int size;
    } streams[] = {
        {Fault::ShortReply, 7, 60}, {Fault::LongReply, 9, 130}, {Fault::ShortReply, 9, 100}};
    for (const auto& c : streams) {
        sensor.setFault(c.fault, c.code, 1);
        client->send(request(c.code, 0, {1}));
        EXPECT_EQ(client->readFor(150).size(), c.size) << c.code;
    }
}

TEST_F(SensorFaults, SilenceAndLateness) {
    sensor.setFault(Fault::NoReply, 10);  // forever, but only for code 10
    client->send(request(10, 0));
    EXPECT_TRUE(client->readFor(150).isEmpty());
    EXPECT_EQ(client->exchange(request(5, 0), 36).size(), 36);
    client->send(request(10, 0));
    EXPECT_TRUE(client->readFor(100).isEmpty());
    sensor.clearFaults();
    EXPECT_EQ(client->exchange(request(10, 0), 36).size(), 36);

    sensor.setFault(Fault::LateReply, -1, 1, 300);
    const auto t0 = std::chrono::steady_clock::now();
    client->send(request(11, 0));
    EXPECT_TRUE(client->read(36, 150).isEmpty());
    EXPECT_EQ(client->read(36, 1000).size(), 36);
    EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(290));
}

TEST_F(SensorFaults, HangUpThenReopen) {
    sensor.setFault(Fault::HangUp, 8, 1);
    client->send(request(8, 0));
    EXPECT_TRUE(client->read(36, 1000).isEmpty());
    EXPECT_TRUE(client->hungUp());

    const QString path = sensor.reopen();
    ASSERT_FALSE(path.isEmpty());
    {
        LineClient first(path);
        EXPECT_EQ(word(first.exchange(request(8, 0), 36), 1), 8);
    }
    LineClient second(path);  // the PC closing its side does not end the sensor
    ASSERT_TRUE(second.isOpen());
    EXPECT_EQ(second.exchange(request(5, 0), 36).size(), 36);

    sensor.hangUp();  // hanging up by hand works the same way
    EXPECT_TRUE(second.read(36, 300).isEmpty());
    EXPECT_TRUE(second.hungUp());
}

}  // namespace
}  // namespace korvo::sim
