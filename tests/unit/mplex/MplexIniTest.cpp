// The multiplexer settings file "MPLEX16.ini".

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "core/mplex/MplexIni.h"

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

TEST(MplexIni, SectionNames) {
    EXPECT_EQ(mplexPortSection(0, 0), QString("MPLEX1_PORT1"));
    EXPECT_EQ(mplexPortSection(6, 15), QString("MPLEX7_PORT16"));
    EXPECT_EQ(mplexTabKey(0), QString("MPC-Tab1"));
    EXPECT_EQ(QString(kMplexIniFileName), QString("MPLEX16.ini"));
}

TEST(MplexIni, ExactBytes) {
    const QByteArray bytes = mplexIniFromContent(sampleContent()).toBytes();
    const QByteArray head(
        "[APPLICATION]\r\n"
        "MPC-Panel max = 0\r\n"
        "MPC-Panel pos. x = 12\r\n"
        "MPC-Panel pos. y = 34\r\n"
        "MPC-Panel width = 760\r\n"
        "MPC-Panel height = 420\r\n"
        "\r\n"
        "[MPLEX_GEN]\r\n"
        "MPC-Teach-Val = 500\r\n"
        "MPC-Tol-High = 20\r\n"
        "MPC-Tol-Low = 30\r\n"
        "\r\n"
        "[MPLEX_TAB]\r\n"
        "MPC-Tab1 = 1\r\n"
        "MPC-Tab2 = 1\r\n"
        "MPC-Tab3 = 0\r\n"
        "MPC-Tab4 = 1\r\n"
        "MPC-Tab5 = 1\r\n"
        "MPC-Tab6 = 1\r\n"
        "MPC-Tab7 = 1\r\n"
        "\r\n"
        "[MPLEX1_PORT1]\r\n"
        "Enable = 1\r\n"
        "Baudrate = 1\r\n"
        "COM = 1\r\n"
        "\r\n"
        "[MPLEX1_PORT2]\r\n"
        "Enable = 1\r\n"
        "Baudrate = 1\r\n"
        "COM = 2\r\n"
        "\r\n");
    EXPECT_TRUE(bytes.startsWith(head)) << bytes.left(head.size()).toStdString();
    EXPECT_TRUE(
        bytes.contains("\r\n\r\n[MPLEX2_PORT1]\r\nEnable = 1\r\nBaudrate = 1\r\nCOM = 17\r\n"
                       "\r\n[MPLEX2_PORT2]\r\n"));
    EXPECT_TRUE(
        bytes.endsWith("\r\n\r\n[MPLEX7_PORT16]\r\nEnable = 0\r\nBaudrate = 4\r\n"
                       "COM = 250\r\n\r\n"));
    EXPECT_EQ(bytes.count("\r\n\r\n["), 3 + 112 - 1);
    EXPECT_EQ(bytes.count("\r\n\r\n"), 3 + 112);  // an empty line after every section
}

TEST(MplexIni, WriteThenReadRestoresTheTable) {
    QTemporaryDir dir;
    const QString path = dir.filePath(kMplexIniFileName);
    const MplexIniContent written = sampleContent();
    ASSERT_TRUE(writeMplexIniFile(written, path).ok);

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

TEST(MplexIni, OnlyPresentKeysAreApplied) {
    IniFile ini;
    ini.fromBytes(
        "[mplex_gen]\r\nmpc-teach-val = 70000\r\n"  // low 16 bits: 4464
        "[MPLEX_TAB]\r\nMPC-Tab3 = 0\r\n"
        "[MPLEX1_PORT2]\r\nEnable = 0\r\nBaudrate = 3\r\n"  // no COM
        "[MPLEX2_PORT1]\r\nCOM = 9\r\n");
    const MplexIniRead read = mplexIniRead(ini);
    EXPECT_EQ(read.teachValue, 4464);
    EXPECT_FALSE(read.tolHigh);
    MplexTable t;
    t.upperTolerance = 77;
    applyMplexIni(read, t);
    EXPECT_EQ(t.teachValue, 4464);
    EXPECT_EQ(t.upperTolerance, 77);
    EXPECT_EQ(t.groups[2].state, 0);
    EXPECT_EQ(t.groups[1].state, 1);
    EXPECT_EQ(t.groups[0].ports[1].enabled, 0);
    EXPECT_EQ(t.groups[0].ports[1].baudIndex, 3);
    EXPECT_EQ(t.groups[0].ports[1].comPort, 2);  // kept
    EXPECT_EQ(t.groups[1].ports[0].comPort, 9);
    EXPECT_EQ(t.groups[1].ports[0].enabled, 1);
}

TEST(MplexIni, PortValuesAreStoredAsWrittenEvenWhenNoPortHasThem) {
    IniFile ini;
    ini.fromBytes(
        "[MPLEX1_PORT1]\r\nEnable = 5\r\nBaudrate = 9\r\nCOM = 0\r\n"
        "[MPLEX1_PORT2]\r\nBaudrate = -1\r\nCOM = 70000\r\n"
        "[MPLEX_TAB]\r\nMPC-Tab1 = 2\r\n");
    MplexTable t;
    applyMplexIni(mplexIniRead(ini), t);
    EXPECT_EQ(t.groups[0].state, 1);
    EXPECT_EQ(t.groups[0].ports[0].enabled, 1);
    // Not silently replaced by the previous values: COM 0 must fail at the opening rather than
    // the port going on to talk to COM 1.
    EXPECT_EQ(t.groups[0].ports[0].baudIndex, 9);
    EXPECT_EQ(t.groups[0].ports[0].comPort, 0);
    EXPECT_EQ(t.groups[0].ports[1].baudIndex, 0xFFFF);
    EXPECT_EQ(t.groups[0].ports[1].comPort, 70000 - 65536);
}

TEST(MplexIni, GeometryRules) {
    IniFile ini;
    ini.fromBytes("[APPLICATION]\r\nMPC-Panel pos. x = 5\r\nMPC-Panel pos. y = 6\r\n");
    EXPECT_EQ(mplexIniRead(ini).geometryPlan(), PanelGeometryPlan{});

    ini.fromBytes(
        "[APPLICATION]\r\nMPC-Panel max = 0\r\nMPC-Panel pos. x = 5\r\n"
        "MPC-Panel width = 700\r\nMPC-Panel height = 300\r\n");
    PanelGeometryPlan plan = mplexIniRead(ini).geometryPlan();
    EXPECT_FALSE(plan.position);
    EXPECT_EQ(plan.size, QSize(700, 300));

    ini.fromBytes(
        "[APPLICATION]\r\nMPC-Panel max = 1\r\nMPC-Panel pos. x = 5\r\n"
        "MPC-Panel pos. y = 6\r\n");
    plan = mplexIniRead(ini).geometryPlan();
    EXPECT_TRUE(plan.maximise);
    EXPECT_FALSE(plan.position);
}

TEST(MplexIni, DamagedFileAppliesWhatIsReadable) {
    QTemporaryDir dir;
    const QString path = dir.filePath(kMplexIniFileName);
    QByteArray bytes("[MPLEX1_PORT1]\nCOM = 40\n");
    bytes += QByteArray(1024 * 1024, '\xAA') + "\n";
    const char damaged[] = "COM\0 = 41\n[MPLEX1_PORT1]\rCOM = 42\rBaudrate = 1099511627776\r";
    bytes += QByteArray(damaged, sizeof damaged - 1);
    bytes += "[MPLEX3_PORT4]\r\nCOM = 99\r\nBaudrate = 2";  // no line end at the very end
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();

    const MplexIniRead read = readMplexIniFile(path);
    ASSERT_TRUE(read.fileRead);
    MplexTable t;
    applyMplexIni(read, t);
    EXPECT_EQ(t.groups[0].ports[0].comPort, 40);
    EXPECT_EQ(t.groups[0].ports[0].baudIndex, 1);
    EXPECT_EQ(t.groups[2].ports[3].comPort, 99);
    EXPECT_EQ(t.groups[2].ports[3].baudIndex, 2);
}

TEST(MplexIni, MissingFileReadsNothing) {
    QTemporaryDir dir;
    const MplexIniRead read = readMplexIniFile(dir.filePath("none.ini"));
    EXPECT_FALSE(read.fileRead);
    MplexTable t;
    const MplexTable before = t;
    applyMplexIni(read, t);
    EXPECT_EQ(t.groups, before.groups);
}

}  // namespace
}  // namespace korvo
