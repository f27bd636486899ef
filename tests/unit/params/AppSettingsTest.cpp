// The application settings file of the scope window.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "core/params/AppSettings.h"

namespace korvo {
namespace {

AppSettings sample() {
    AppSettings s;
    s.comPort = 3;
    s.baudIndex = 4;
    s.panelMax = 0;
    s.panelX = 10;
    s.panelY = -20;
    s.panelWidth = 800;
    s.panelHeight = 600;
    s.hardwareType = 3;
    return s;
}

TEST(AppSettingsFile, ExactBytesAndReadBack) {
    QTemporaryDir dir;
    const QString path = dir.filePath(kAppSettingsFileName);
    EXPECT_TRUE(path.endsWith("/KORVO-KM-Scope.ini"));
    ASSERT_TRUE(WriteAppVarToIniFile(sample(), path).ok);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("[CONNECTION]\r\nCOM Port = 3\r\nBAUDRATE = 4\r\n\r\n"
                                      "[APPLICATION]\r\nPanel max = 0\r\nPanel pos. x = 10\r\n"
                                      "Panel pos. y = -20\r\nPanel width  = 800\r\n"
                                      "Panel height = 600\r\n\r\n"
                                      "[HARDWAREINFO]\r\nHardware-Type = 3\r\n\r\n"));

    const AppSettingsRead r = ReadAppVarFromIniFile(path);
    EXPECT_TRUE(r.fileRead);
    EXPECT_EQ(r.panelMax, 0);
    const UsableAppSettings u = usableAppSettings(r);
    EXPECT_EQ(u.comPort, 3);
    EXPECT_EQ(u.baudIndex, 4);
    EXPECT_EQ(u.hardwareType, 3);
    EXPECT_EQ(u.geometry, (PanelGeometryPlan{false, QPoint(10, -20), QSize(800, 600)}));

    const AppSettingsRead none = ReadAppVarFromIniFile(dir.filePath("none.ini"));
    EXPECT_FALSE(none.fileRead);
    EXPECT_FALSE(usableAppSettings(none).comPort);
}

TEST(AppSettingsFile, UnknownHardwareTypeIsWrittenAsZero) {
    AppSettings s = sample();
    for (std::uint16_t type : {0, 1, 2, 3, 4, 80}) {
        s.hardwareType = type;
        EXPECT_EQ(appSettingsIni(s).getInt("HARDWAREINFO", "Hardware-Type"),
                  type >= 1 && type <= 3 ? type : 0);
    }
}

TEST(AppSettingsFile, OnlyValuesInRangeAreUsable) {
    IniFile ini;
    ini.fromBytes(
        "[connection]\r\ncom port = 256\r\nBaudrate = 5\r\n"
        "[APPLICATION]\r\nPanel pos. x = 1\r\nPanel pos. y = 2\r\n"
        "Panel width = 3\r\nPanel height = 4\r\n"
        "[HARDWAREINFO]\r\nHardware-Type = 7\r\n");
    const AppSettingsRead r = appSettingsFromIni(ini);
    EXPECT_EQ(r.comPort, 256);
    EXPECT_EQ(r.panelWidth, 3);  // "Panel width " matches "Panel width"
    const UsableAppSettings u = usableAppSettings(r);
    EXPECT_FALSE(u.comPort);
    EXPECT_FALSE(u.baudIndex);
    EXPECT_FALSE(u.hardwareType);
    EXPECT_EQ(u.geometry, PanelGeometryPlan{});  // no "Panel max": no geometry

    ini.fromBytes(
        "[CONNECTION]\r\nCOM Port = 0\r\nBAUDRATE = 0\r\n"
        "[APPLICATION]\r\nPanel max = 1\r\nPanel pos. x = 1\r\n");
    const UsableAppSettings v = usableAppSettings(appSettingsFromIni(ini));
    EXPECT_FALSE(v.comPort);
    EXPECT_EQ(v.baudIndex, 0);
    EXPECT_EQ(v.geometry, (PanelGeometryPlan{true, {}, {}}));
}

}  // namespace
}  // namespace korvo
