#include <gtest/gtest.h>

#include "LinkRig.h"

namespace korvo::test {
namespace {

TEST(HangUp, EndsTheWaitAtOnceAndThePortCanBeOpenedAgain) {
    LinkRig rig;
    rig.open();
    SensorLink& s = rig.sensorLink;

    rig.sensor().setFault(sim::Fault::HangUp, 2, 1);
    const double start = rig.pump.now();
    EXPECT_EQ(s.GetParamHalf(kMemoryRam, 0, 1), -1);
    EXPECT_LT(rig.pump.now() - start, 0.3);
    EXPECT_EQ(rig.link.statusText, QStringLiteral("Timeout-RS-232..."));
    EXPECT_TRUE(rig.bank.isBroken(1));
    EXPECT_FALSE(rig.bank.isOpen(1));
    EXPECT_FALSE(rig.bank.errorDetail(1).isEmpty());

    ASSERT_FALSE(rig.sensor().reopen().isEmpty());
    rig.rewriteMap();
    rig.open();
    EXPECT_FALSE(rig.bank.isBroken(1));
    EXPECT_EQ(s.CheckComLine(1), 1);
}

TEST(HangUp, WhileIdleTheNextExchangeFailsAtOnce) {
    LinkRig rig;
    rig.open();
    rig.sensor().hangUp();
    rig.pump.delay(0.2);
    EXPECT_TRUE(rig.bank.isBroken(1));
    const double start = rig.pump.now();
    EXPECT_EQ(rig.sensorLink.PushGETRAW(1), 0);
    EXPECT_EQ(rig.sensorLink.GetVERSIONInfo(1), 0);
    EXPECT_EQ(rig.sensorLink.readBlockRun(1, 0), 0);
    EXPECT_LT(rig.pump.now() - start, 0.2);
}

}  // namespace
}  // namespace korvo::test
