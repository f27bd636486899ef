// Defaults of the multiplexer port table.

#include <gtest/gtest.h>

#include "core/mplex/PortTable.h"

namespace korvo {
namespace {

TEST(PortTable, DefaultsForAllGroupsAndPorts) {
    MplexTable t;
    EXPECT_EQ(t.groups[0].ports[0].comPort, 1);
    EXPECT_EQ(t.groups[0].ports[15].comPort, 16);
    EXPECT_EQ(t.groups[1].ports[0].comPort, 17);
    EXPECT_EQ(t.groups[6].ports[15].comPort, 112);
    int expectedCom = 1;
    for (const MplexGroup& g : t.groups) {
        EXPECT_EQ(g.state, 1);
        for (const MplexPort& p : g.ports) {
            EXPECT_EQ(p.comPort, expectedCom++);
            EXPECT_EQ(p.openState, 0);
            EXPECT_EQ(p.enabled, 1);
            EXPECT_EQ(p.scopeActive, 0);
            EXPECT_EQ(p.baudIndex, 1);
            EXPECT_EQ(p.statusText, QString("not connected"));
        }
    }
}

TEST(PortTable, InitRestoresDefaultsButKeepsPanelsAndGeneralValues) {
    MplexTable t;
    t.teachValue = 500;
    t.groups[2].state = 0;
    MplexPort& port = t.groups[2].ports[5];
    port.panel = 42;
    port.openState = -3;
    port.enabled = 0;
    port.scopeActive = 1;
    port.baudIndex = 4;
    port.comPort = 200;
    port.statusText = "connected";
    initDefaultMplexTable(t);
    EXPECT_EQ(t.groups[2].state, 1);
    EXPECT_EQ(port.panel, 42);
    EXPECT_EQ(port.openState, 0);
    EXPECT_EQ(port.enabled, 1);
    EXPECT_EQ(port.scopeActive, 0);
    EXPECT_EQ(port.baudIndex, 1);
    EXPECT_EQ(port.comPort, 16 * 2 + 5 + 1);
    EXPECT_EQ(port.statusText, QString("not connected"));
    EXPECT_EQ(t.teachValue, 500);
}

}  // namespace
}  // namespace korvo
