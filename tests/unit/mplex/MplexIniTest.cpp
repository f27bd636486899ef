// The multiplexer settings file "MPLEX16.ini" and the defaults of the port table.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "core/mplex/MplexIni.h"
#include "core/mplex/PortTable.h"
#include "support/TestFiles.h"

namespace korvo {
namespace {

MplexIniContent sampleContent() {
    MplexTable t;
    t.teachValue = 500;
    t.upperTolerance = 20;
    t.lowerTolerance = 30;
    t.groups[2].state = 0;
    t.groups[6].ports[15].enabled = 0;
    t.groups[6].ports[15].baudIndex = 4;
    t.groups[6].ports[15].comPort = 250;
    MplexIniContent c = mplexIniContentFromTable(t);
    c.panelMax = 0;
    c.panelX = 12;
    c.panelY = 34;
    c.panelWidth = 760;
    c.panelHeight = 420;
    return c;
}

// The geometry keys as read back; what they give (nothing without the max key, maximise at 1) is
// the rule met in PanelGeometry.
TEST(MplexIni, ExactBytesAndReadBackRestoresTheTable) {
    QTemporaryDir dir;
    const QString path = dir.filePath(kMplexIniFileName);
    const MplexIniContent written = sampleContent();
    ASSERT_TRUE(writeMplexIniFile(written, path).ok);
    const QByteArray bytes = test::fileBytes(path);
    const QByteArray head(
        "[APPLICATION]\r\nMPC-Panel max = 0\r\nMPC-Panel pos. x = 12\r\n"
        "MPC-Panel pos. y = 34\r\nMPC-Panel width = 760\r\nMPC-Panel height = 420\r\n\r\n"
        "[MPLEX_GEN]\r\nMPC-Teach-Val = 500\r\nMPC-Tol-High = 20\r\nMPC-Tol-Low = 30\r\n\r\n"
        "[MPLEX_TAB]\r\nMPC-Tab1 = 1\r\nMPC-Tab2 = 1\r\nMPC-Tab3 = 0\r\nMPC-Tab4 = 1\r\n"
        "MPC-Tab5 = 1\r\nMPC-Tab6 = 1\r\nMPC-Tab7 = 1\r\n\r\n"
        "[MPLEX1_PORT1]\r\nEnable = 1\r\nBaudrate = 1\r\nCOM = 1\r\n\r\n"
        "[MPLEX1_PORT2]\r\nEnable = 1\r\nBaudrate = 1\r\nCOM = 2\r\n\r\n");
    EXPECT_TRUE(bytes.startsWith(head)) << bytes.left(head.size()).toStdString();
    EXPECT_TRUE(
        bytes.contains("\r\n\r\n[MPLEX2_PORT1]\r\nEnable = 1\r\nBaudrate = 1\r\nCOM = 17\r\n"
                       "\r\n[MPLEX2_PORT2]\r\n"));
    EXPECT_TRUE(
        bytes.endsWith("\r\n\r\n[MPLEX7_PORT16]\r\nEnable = 0\r\nBaudrate = 4\r\n"
                       "COM = 250\r\n\r\n"));
    EXPECT_EQ(bytes.count("\r\n\r\n"), 3 + 112);  // an empty line after every section

    EXPECT_FALSE(readMplexIniFile(dir.filePath("none.ini")).fileRead);
    const MplexIniRead read = readMplexIniFile(path);
    ASSERT_TRUE(read.fileRead);
    MplexTable t;
    t.groups[6].ports[15].statusText = "connected";
    t.groups[6].ports[15].scopeActive = 1;
    applyMplexIni(read, t);
    MplexIniContent again = mplexIniContentFromTable(t);
    const PanelGeometryPlan plan = read.geometryPlan();
    EXPECT_FALSE(plan.maximise);
    ASSERT_TRUE(plan.position && plan.size);
    again.panelX = plan.position->x();
    again.panelY = plan.position->y();
    again.panelWidth = plan.size->width();
    again.panelHeight = plan.size->height();
    EXPECT_EQ(again, written);
    // Neither status texts nor scope toggles are stored.
    EXPECT_EQ(t.groups[6].ports[15].statusText, QString("connected"));
    EXPECT_EQ(t.groups[6].ports[15].scopeActive, 1);
}

TEST(MplexIni, OnlyPresentKeysAreAppliedAndPortValuesAsWritten) {
    IniFile ini;
    ini.fromBytes(
        "[mplex_gen]\r\nmpc-teach-val = 70000\r\n"  // low 16 bits: 4464
        "[MPLEX_TAB]\r\nMPC-Tab3 = 0\r\nMPC-Tab1 = 2\r\n"
        "[MPLEX1_PORT2]\r\nEnable = 0\r\nBaudrate = 3\r\n"  // no COM
        "[MPLEX2_PORT1]\r\nCOM = 9\r\n"
        "[MPLEX1_PORT1]\r\nEnable = 5\r\nBaudrate = 9\r\nCOM = 0\r\n"
        "[MPLEX1_PORT3]\r\nBaudrate = -1\r\nCOM = 70000\r\n");
    const MplexIniRead read = mplexIniRead(ini);
    EXPECT_FALSE(read.tolHigh);
    MplexTable t;
    t.upperTolerance = 77;
    applyMplexIni(read, t);
    EXPECT_EQ(t.teachValue, 4464);
    EXPECT_EQ(t.upperTolerance, 77);
    EXPECT_EQ(t.groups[2].state, 0);
    EXPECT_EQ(t.groups[1].state, 1);
    EXPECT_EQ(t.groups[0].state, 1);
    const MplexPort* p = t.groups[0].ports.data();
    EXPECT_EQ(p[1].enabled, 0);
    EXPECT_EQ(p[1].baudIndex, 3);
    EXPECT_EQ(p[1].comPort, 2);  // kept
    EXPECT_EQ(t.groups[1].ports[0].comPort, 9);
    EXPECT_EQ(t.groups[1].ports[0].enabled, 1);
    // Values no port has are stored, not replaced by the previous ones: COM 0 must fail at the
    // opening rather than the port going on to talk to COM 1.
    EXPECT_EQ(p[0].enabled, 1);
    EXPECT_EQ(p[0].baudIndex, 9);
    EXPECT_EQ(p[0].comPort, 0);
    EXPECT_EQ(p[2].baudIndex, 0xFFFF);
    EXPECT_EQ(p[2].comPort, 70000 - 65536);
}

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
