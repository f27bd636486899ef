// The transmit line's timing: no byte before its time, batches only in the middle of a reply.

#include <gtest/gtest.h>

#include <chrono>

#include "sim/LineSchedule.h"

namespace korvo::sim {
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

TEST(LineSchedule, PacedBytesNeverLeaveBeforeTheirTime) {
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
}

TEST(LineSchedule, AReplyWaitsForTheOneBeforeUnpacedGoesAtOnce) {
    const Clock::time_point t0 = Clock::now();
    const Clock::duration b = byteTime(115200);
    LineSchedule line;
    line.queue(frame(1), t0, 115200);
    line.queue(frame(0x50), t0, 115200);  // asked for at the same time: starts after the first
    EXPECT_EQ(send(line, t0 + b * 36), frame(1));
    EXPECT_TRUE(line.due(t0 + b * 37 - nanoseconds(1)).isEmpty());
    EXPECT_EQ(send(line, t0 + b * 72), frame(0x50));
    EXPECT_TRUE(line.empty());
    EXPECT_EQ(line.nextDue(), Clock::time_point::max());

    LineSchedule fast;
    fast.queue(frame(7), t0, 0);
    EXPECT_EQ(fast.nextDue(), t0);
    EXPECT_EQ(send(fast, t0), frame(7));
    EXPECT_TRUE(fast.empty());
}

}  // namespace
}  // namespace korvo::sim
