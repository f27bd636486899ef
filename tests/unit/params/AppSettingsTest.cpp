// The application settings file of the scope window.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "core/params/AppSettings.h"

namespace korvo {
namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

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

TEST(AppSettingsFile, ExactBytesAndTheSameFileTwice) {
    QTemporaryDir dir;
    const QString path = dir.filePath(kAppSettingsFileName);
    EXPECT_TRUE(path.endsWith("/KORVO-KM-Scope.ini"));
    ASSERT_TRUE(WriteAppVarToIniFile(sample(), path).ok);
    const QByteArray first = readAll(path);
    EXPECT_EQ(first, QByteArray("[CONNECTION]\r\n"
                                "COM Port = 3\r\n"
                                "BAUDRATE = 4\r\n"
                                "\r\n"
                                "[APPLICATION]\r\n"
                                "Panel max = 0\r\n"
                                "Panel pos. x = 10\r\n"
                                "Panel pos. y = -20\r\n"
                                "Panel width  = 800\r\n"
                                "Panel height = 600\r\n"
                                "\r\n"
                                "[HARDWAREINFO]\r\n"
                                "Hardware-Type = 3\r\n"
                                "\r\n"));
    ASSERT_TRUE(WriteAppVarToIniFile(sample(), path).ok);
    EXPECT_EQ(readAll(path), first);
}

TEST(AppSettingsFile, UnknownHardwareTypeIsWrittenAsZero) {
    AppSettings s = sample();
    for (std::uint16_t type : {1, 2, 3}) {
        s.hardwareType = type;
        EXPECT_EQ(appSettingsIni(s).getInt("HARDWAREINFO", "Hardware-Type"), type);
    }
    for (std::uint16_t type : {0, 4, 80}) {
        s.hardwareType = type;
        EXPECT_EQ(appSettingsIni(s).getInt("HARDWAREINFO", "Hardware-Type"), 0);
    }
}

TEST(AppSettingsFile, ReadsBackEveryKey) {
    QTemporaryDir dir;
    const QString path = dir.filePath(kAppSettingsFileName);
    ASSERT_TRUE(WriteAppVarToIniFile(sample(), path).ok);
    const AppSettingsRead r = ReadAppVarFromIniFile(path);
    EXPECT_TRUE(r.fileRead);
    EXPECT_EQ(r.comPort, 3);
    EXPECT_EQ(r.baudIndex, 4);
    EXPECT_EQ(r.panelMax, 0);
    EXPECT_EQ(r.panelX, 10);
    EXPECT_EQ(r.panelY, -20);
    EXPECT_EQ(r.panelWidth, 800);
    EXPECT_EQ(r.panelHeight, 600);
    EXPECT_EQ(r.hardwareType, 3);

    const UsableAppSettings u = usableAppSettings(r);
    EXPECT_EQ(u.comPort, 3);
    EXPECT_EQ(u.baudIndex, 4);
    EXPECT_EQ(u.hardwareType, 3);
    EXPECT_FALSE(u.geometry.maximise);
    EXPECT_EQ(u.geometry.position, QPoint(10, -20));
    EXPECT_EQ(u.geometry.size, QSize(800, 600));
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
    EXPECT_TRUE(v.geometry.maximise);
    EXPECT_FALSE(v.geometry.position);
}

TEST(AppSettingsFile, MissingFileGivesNothing) {
    QTemporaryDir dir;
    const AppSettingsRead r = ReadAppVarFromIniFile(dir.filePath("none.ini"));
    EXPECT_FALSE(r.fileRead);
    EXPECT_FALSE(r.comPort);
    EXPECT_FALSE(usableAppSettings(r).comPort);
}

}  // namespace
}  // namespace korvo
