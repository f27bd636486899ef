#include <gtest/gtest.h>

#include "LinkRig.h"

namespace korvo::test {
namespace {

std::vector<sim::SensorConfig> threeSensors() {
    std::vector<sim::SensorConfig> list(3);
    for (int i = 0; i < 3; ++i) list[i].serial = static_cast<std::uint16_t>(101 + i);
    return list;
}

TEST(MultiPort, EachComNumberReachesItsOwnSensor) {
    LinkRig rig(threeSensors());
    SensorLink& s = rig.sensorLink;
    for (int com = 1; com <= 3; ++com) ASSERT_EQ(s.Init232(com, com - 1), 1);
    for (int com = 1; com <= 3; ++com) {
        EXPECT_EQ(s.Check232Line(com), 1);
        EXPECT_EQ(rig.link.mplexStatusText, QStringLiteral("Line OK!   SN:%1").arg(100 + com));
    }
    for (int i = 0; i < 3; ++i) rig.sensor(i).clearReceivedFrames();

    EXPECT_EQ(s.ActivateTeach(2, 700, 10, 20), 1);
    EXPECT_EQ(rig.takeRequest(1), frameHex("0055 0010 02BC 000A 0014"));
    rig.pump.delay(0.05);
    EXPECT_TRUE(rig.sensor(0).receivedFrames().empty());
    EXPECT_TRUE(rig.sensor(2).receivedFrames().empty());

    // Closing one port leaves the others working.
    rig.bank.close(2);
    EXPECT_EQ(s.Check232Line(2), -1);
    EXPECT_EQ(s.Check232Line(3), 1);
    EXPECT_EQ(s.CheckComLine(1), 1);
    EXPECT_EQ(rig.link.serialNumber, 101);
}

}  // namespace
}  // namespace korvo::test
