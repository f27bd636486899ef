// `korvo ports --write-map` below the command line: the adapters under their stable names, and a
// port map that gains lines at its end and keeps every line the user wrote.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/link/SerialAdapters.h"
#include "support/TestFiles.h"

namespace korvo {
namespace {

TEST(SerialAdapters, WriteMapAppendsStableNamesAndKeepsUserLines) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString dev = dir.filePath("dev");
    QDir().mkpath(dev + "/serial/by-id");
    QDir().mkpath(dev + "/serial/by-path");
    for (const char* node : {"ttyUSB0", "ttyUSB1", "ttyUSB2", "ttyACM0"})
        QFile(dev + "/" + node).open(QIODevice::WriteOnly);
    const auto link = [&](const QString& node, const QString& name) {
        ASSERT_TRUE(QFile::link(dev + "/" + node, dev + "/serial/" + name));
    };
    link("ttyUSB0", "by-id/usb-FTDI_FT232R_A1B2-if00-port0");
    link("ttyUSB1", "by-id/usb-Prolific_PL2303-if00-port0");
    link("ttyUSB0", "by-path/pci-0000:00:14.0-usb-0:1:1.0-port0");
    link("ttyUSB2", "by-path/pci-0000:00:14.0-usb-0:2:1.0-port0");  // no serial number
    link("ttyACM0", "by-id/usb-Maker_Bridge-if00");
    link("gone", "by-id/usb-Pulled_Out-if00-port0");  // dangling

    const QString id = dev + "/serial/by-id/";
    const QStringList found = stableSerialDevices(dev + "/serial");
    EXPECT_EQ(found,
              QStringList({id + "usb-FTDI_FT232R_A1B2-if00-port0", id + "usb-Maker_Bridge-if00",
                           id + "usb-Prolific_PL2303-if00-port0",
                           dev + "/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0"}));

    // The user mapped the Prolific adapter by its kernel name, the bridge by its stable name and
    // the FTDI adapter by its other link; COM7 is the highest number.
    const QString mapPath = dir.filePath("cfg/COMPORTS.map");
    QDir().mkpath(dir.filePath("cfg"));
    const QByteArray userLines =
        "# bench 2\r\nCOM7 = " + (dev + "/ttyUSB1").toUtf8() +
        "\nCOM2 = " + (id + "usb-Maker_Bridge-if00").toUtf8() + "  ; bridge\nCOM3 = " +
        (dev + "/serial/by-path/pci-0000:00:14.0-usb-0:1:1.0-port0").toUtf8() + "\nnot a mapping";
    test::writeFileBytes(mapPath, userLines);
    const std::vector<PortMapEntry> added = newPortMapEntries(PortMap::load(mapPath), found).added;
    EXPECT_EQ(added, (std::vector<PortMapEntry>{
                         {8, dev + "/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0"}}));
    ASSERT_TRUE(appendToPortMap(mapPath, added).ok);
    EXPECT_EQ(test::fileBytes(mapPath), userLines + "\nCOM8 = " + added[0].device.toUtf8() + "\n");
    // A second run finds nothing new.
    EXPECT_TRUE(newPortMapEntries(PortMap::load(mapPath), found).added.empty());
    // Into a map that is not there yet: numbered from COM1, folder made; a second name of an
    // adapter found (COM3's link) adds no line.
    const QString fresh = dir.filePath("new/COMPORTS.map");
    const QStringList twice = found + QStringList{PortMap::load(mapPath).devicePath(3)};
    ASSERT_TRUE(appendToPortMap(fresh, newPortMapEntries(PortMap::load(fresh), twice).added).ok);
    EXPECT_EQ(PortMap::load(fresh).devicePath(1), found[0]);
    EXPECT_EQ(PortMap::load(fresh).size(), 4);
}

}  // namespace
}  // namespace korvo
