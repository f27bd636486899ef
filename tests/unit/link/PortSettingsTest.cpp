// Serial port settings: error texts, baud rates, the map of COM numbers to devices.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "core/link/PortMap.h"
#include "core/link/PortSettings.h"
#include "support/TestFiles.h"

namespace korvo {
namespace {

TEST(PortSettings, ErrorTextsAreFixed) {
    const std::pair<int, const char*> texts[] = {
        {-1, "Unknown system error"}, {-2, "Invalid port number"},
        {-3, "Port is not open"},     {-4, "Unknown I/0 error"},
        {-6, "No serial port found"}, {-7, "Cannot open port"},
        {-13, "Invalid parameter"},   {-99, "Timeout"}};
    for (const auto& [code, text] : texts) EXPECT_EQ(rs232ErrorText(code), QString(text)) << code;
    for (const int other : {-5, -8, -12, -14, -98, -100})
        EXPECT_EQ(rs232ErrorText(other), QStringLiteral("RS-232 error!")) << other;
}

TEST(PortSettings, BaudTable) {
    const int rates[] = {9600, 19200, 38400, 57600, 115200};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(baudRateForIndex(i), rates[i]);
    for (const int other : {5, 6, 100, -1}) EXPECT_EQ(baudRateForIndex(other), 19200) << other;
    // The queue sizes are met when the integration test Open opens a port.
}

TEST(PortMap, ReadsLinesLeniently) {
    const PortMap map =
        PortMap::parse(QStringLiteral("# virtual sensors\n"
                                      "COM1 = /dev/pts/3\n"
                                      "\n"
                                      "  com2=/dev/ttyUSB0   ; adapter on the left\r\n"
                                      "Com 12 =   /dev/pts/11\n"
                                      "COM3\n"
                                      "COMX = /dev/null\n"
                                      "COM0 = /dev/zero\n"
                                      "COM1 = /dev/pts/7\n"));
    EXPECT_EQ(map.devicePath(1), QStringLiteral("/dev/pts/7"));  // the later line wins
    EXPECT_EQ(map.devicePath(2), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(map.devicePath(12), QStringLiteral("/dev/pts/11"));
    EXPECT_EQ(map.size(), 3);
    EXPECT_FALSE(map.contains(3));
    EXPECT_FALSE(map.contains(0));
}

TEST(PortMap, UnmappedPortsAreTheBuiltInOnes) {
    const PortMap empty = PortMap::load(QStringLiteral("/nonexistent/COMPORTS.map"));
    EXPECT_EQ(empty.size(), 0);
    EXPECT_TRUE(empty.problem().isEmpty());  // no map at all is the normal case
    EXPECT_EQ(empty.devicePath(1), QStringLiteral("/dev/ttyS0"));
    EXPECT_EQ(empty.devicePath(16), QStringLiteral("/dev/ttyS15"));
}

TEST(PortMap, ReadsOnlyRegularFilesAndSaysWhyNot) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath("fifo.map");
    const QString big = dir.filePath("big.map");
    test::makeFifo(fifo);
    test::makeSparseFile(big, PortMap::kMaxFileBytes + 1, "COM1 = /dev/pts/1\n");
    const std::pair<QString, const char*> refused[] = {{fifo, "not a regular file but a FIFO"},
                                                       {big, "larger than 1048576 bytes"}};
    for (const auto& [path, reason] : refused) {
        const PortMap map = PortMap::load(path);
        EXPECT_EQ(map.size(), 0);
        EXPECT_EQ(map.problem(), QStringLiteral("port map %1 not read: %2").arg(path, reason));
    }

    // A Windows editor's byte-order mark does not cost the first line.
    QFile withBom(dir.filePath("bom.map"));
    ASSERT_TRUE(withBom.open(QIODevice::WriteOnly));
    withBom.write(
        "\xEF\xBB\xBF"
        "COM1 = /dev/pts/4\r\n");
    withBom.close();
    const PortMap map = PortMap::load(withBom.fileName());
    EXPECT_EQ(map.devicePath(1), QStringLiteral("/dev/pts/4"));
    EXPECT_TRUE(map.problem().isEmpty());
}

}  // namespace
}  // namespace korvo
