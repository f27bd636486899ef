#include <gtest/gtest.h>

#include "core/link/PortMap.h"
#include "core/link/PortSettings.h"

namespace korvo {
namespace {

TEST(PortSettings, ErrorTextsAreFixed) {
    EXPECT_EQ(rs232ErrorText(-1), QStringLiteral("Unknown system error"));
    EXPECT_EQ(rs232ErrorText(-2), QStringLiteral("Invalid port number"));
    EXPECT_EQ(rs232ErrorText(-3), QStringLiteral("Port is not open"));
    EXPECT_EQ(rs232ErrorText(-4), QStringLiteral("Unknown I/0 error"));
    EXPECT_EQ(rs232ErrorText(-6), QStringLiteral("No serial port found"));
    EXPECT_EQ(rs232ErrorText(-7), QStringLiteral("Cannot open port"));
    EXPECT_EQ(rs232ErrorText(-13), QStringLiteral("Invalid parameter"));
    EXPECT_EQ(rs232ErrorText(-99), QStringLiteral("Timeout"));
    for (const int other : {-5, -8, -12, -14, -98, -100})
        EXPECT_EQ(rs232ErrorText(other), QStringLiteral("RS-232 error!")) << other;
}

TEST(PortSettings, BaudTableAndQueues) {
    const int rates[] = {9600, 19200, 38400, 57600, 115200};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(baudRateForIndex(i), rates[i]);
    for (const int other : {5, 6, 100, -1}) EXPECT_EQ(baudRateForIndex(other), 19200) << other;
    EXPECT_EQ(initQueueSizeForIndex(1), 1024);
    for (const int other : {0, 2, 3, 4, 5, -1}) EXPECT_EQ(initQueueSizeForIndex(other), 4096);
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
    EXPECT_EQ(empty.devicePath(1), QStringLiteral("/dev/ttyS0"));
    EXPECT_EQ(empty.devicePath(16), QStringLiteral("/dev/ttyS15"));
}

}  // namespace
}  // namespace korvo
