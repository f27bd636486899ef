// How a wait for a reply treats replies that are already in before it starts running events.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "LinkRig.h"

namespace korvo::test {
namespace {

class AwaitReply : public ::testing::Test {
protected:
    void SetUp() override { rig.open(); }
    // Sends a line check and lets the sensor's echo reach the driver without running any event.
    void echoWaitsInTheDriver() {
        rig.sensor().clearReceivedFrames();
        ASSERT_EQ(rig.sensorLink.sendRequest(1, 5, 0), kFrameBytes);
        ASSERT_TRUE(rig.sensor().waitForFrames(1, 1000));
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
    LinkRig rig;
};

TEST_F(AwaitReply, AKindSetBeforehandGivesWayToAReplyThatIsAlreadyQueued) {
    echoWaitsInTheDriver();
    // As a measurement loop hands the raw-data kind back: the echo that is queued replaces it.
    rig.link.replyKind = kReplyRawData;
    const double start = rig.pump.now();
    EXPECT_FALSE(rig.sensorLink.awaitReply(1, kReplyRawData, start, 0.2));
    EXPECT_EQ(rig.link.replyKind, kReplyEcho);
    EXPECT_GT(rig.pump.now() - start, 0.2);
}

TEST_F(AwaitReply, AReplyAlreadyQueuedCountsEvenWhenTheLimitHasPassed) {
    echoWaitsInTheDriver();
    const double start = rig.pump.now() - 1.0;
    EXPECT_TRUE(rig.sensorLink.awaitReply(1, kReplyNone, start, 0.5));
    EXPECT_EQ(rig.link.replyKind, kReplyEcho);

    // Nothing queued and the limit passed: over at once.
    rig.link.replyKind = kReplyNone;
    const double before = rig.pump.now();
    EXPECT_FALSE(rig.sensorLink.awaitReply(1, kReplyNone, before - 1.0, 0.5));
    EXPECT_LT(rig.pump.now() - before, 0.05);
}

}  // namespace
}  // namespace korvo::test
