// Defaults of the multiplexer port table.

#include <gtest/gtest.h>

#include "core/mplex/PortTable.h"

namespace korvo {
namespace {

void expectDefaults(const MplexTable& t) {
    int expectedCom = 1;  // COM 1..112 in group order
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
    EXPECT_EQ(expectedCom, 113);
}

TEST(PortTable, DefaultsAndInitKeepingPanelsAndGeneralValues) {
    MplexTable t;
    expectDefaults(t);
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
    expectDefaults(t);
    EXPECT_EQ(port.panel, 42);
    EXPECT_EQ(t.teachValue, 500);
}

}  // namespace
}  // namespace korvo
