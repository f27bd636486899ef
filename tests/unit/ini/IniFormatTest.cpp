// The written bytes of the INI object and the lookup rules of the reader.

#include <gtest/gtest.h>

#include "core/ini/IniFile.h"
#include "core/ini/IniValue.h"

namespace korvo {
namespace {

TEST(IniFormat, WritesSectionsKeysAndEmptyLineAfterEverySection) {
    EXPECT_EQ(IniFile().toBytes(), QByteArray());
    IniFile ini(false);
    ini.putInt("APPLICATION", "MPC-Panel max", 0);
    ini.putInt("MPLEX_GEN", "MPC-Teach-Val", 500);
    ini.putInt("APPLICATION", "Panel width ", 800);  // back to the first section, trailing blank
    ini.putInt("MPLEX_GEN", "MPC-Tol-Low", -7);
    ini.putInt("mplex_gen", " mpc-teach-val", 3);  // same key: replaced in place
    const QByteArray bytes(
        "[APPLICATION]\r\nMPC-Panel max = 0\r\nPanel width  = 800\r\n\r\n"
        "[MPLEX_GEN]\r\nMPC-Teach-Val = 3\r\nMPC-Tol-Low = -7\r\n\r\n");
    EXPECT_EQ(ini.toBytes(), bytes);
    const QByteArray unsorted("[B]\r\nz = 1\r\na = -2\r\n\r\n[A]\r\nk = 3\r\n\r\n");
    IniFile back;  // reading then writing keeps the order
    back.fromBytes(unsorted);
    EXPECT_EQ(back.toBytes(), unsorted);
    EXPECT_EQ(back.skippedLineCount(), 0);
}

TEST(IniFormat, UnsignedValuesTravelAsTheSameBitPattern) {
    IniFile ini;
    ini.putUInt32("PARA1", "um-Slope", 3000000000u);
    ini.putUInt32("PARA1", "max", 0xFFFFFFFFu);
    ini.putInt("PARA1", "min", INT32_MIN);
    EXPECT_EQ(ini.toBytes(), QByteArray("[PARA1]\r\num-Slope = -1294967296\r\nmax = -1\r\n"
                                        "min = -2147483648\r\n\r\n"));
    IniFile back;
    ASSERT_TRUE(back.fromBytes(ini.toBytes()));
    EXPECT_EQ(back.getUInt32("PARA1", "um-Slope"), 3000000000u);
    EXPECT_EQ(back.getUInt32("PARA1", "max"), 0xFFFFFFFFu);
    EXPECT_EQ(back.getInt("PARA1", "min"), INT32_MIN);
}

TEST(IniFormat, LookupIgnoresCaseAndSurroundingBlanks) {
    IniFile ini;
    // The byte-order mark of a Windows editor in front of the first header.
    ASSERT_TRUE(
        ini.fromBytes("\xEF\xBB\xBF[CONNECTION]\r\nBAUDRATE = 2\r\n\r\n"
                      "[ application ]\r\n  Panel width   =   640  \r\n"
                      "\tpower\t=\t500\r\nAverage = many\r\nEmpty =\r\n"));
    EXPECT_EQ(ini.getInt("connection", "Baudrate"), 2);
    EXPECT_EQ(ini.getInt("APPLICATION", "Panel width "), 640);
    EXPECT_EQ(ini.getInt("Application", "POWER"), 500);
    EXPECT_TRUE(ini.hasSection(" Connection"));
    EXPECT_FALSE(ini.hasSection("CONNECT"));
    for (const char* key : {"Average", "Empty", "Missing", "Baudrate"})  // Baudrate: other section
        EXPECT_FALSE(ini.getInt("APPLICATION", key).has_value()) << key;
}

TEST(IniFormat, ValuesConvertOnlyWhenWhollyASigned32BitNumber) {
    EXPECT_EQ(parseIniInt("  -42 "), -42);
    EXPECT_EQ(parseIniInt("+17"), 17);
    EXPECT_EQ(parseIniInt("007"), 7);
    EXPECT_EQ(parseIniInt("2147483647"), INT32_MAX);
    EXPECT_EQ(parseIniInt("-2147483648"), INT32_MIN);
    for (const char* bad : {"", "   ", "2147483648", "-2147483649", "1099511627776", "12abc", "abc",
                            "1 2", "- 5", "+", "0x10", "1.5", "99999999999999999999999"}) {
        EXPECT_FALSE(parseIniInt(bad).has_value()) << bad;
    }
}

}  // namespace
}  // namespace korvo
