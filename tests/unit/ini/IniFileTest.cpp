// The INI object: its written bytes and the lookup rules of the reader; damaged or foreign files,
// of which the reader applies what it can read and never crashes.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "core/ini/IniFile.h"
#include "core/ini/IniValue.h"
#include "support/TestFiles.h"

namespace korvo {
namespace {

TEST(IniFormat, WritesSectionsKeysAnEmptyLineAfterEachSectionAndUnsignedAsTheSameBits) {
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

    // Unsigned values travel as the same bit pattern.
    IniFile bits;
    bits.putUInt32("PARA1", "um-Slope", 3000000000u);
    bits.putUInt32("PARA1", "max", 0xFFFFFFFFu);
    bits.putInt("PARA1", "min", INT32_MIN);
    EXPECT_EQ(bits.toBytes(), QByteArray("[PARA1]\r\num-Slope = -1294967296\r\nmax = -1\r\n"
                                         "min = -2147483648\r\n\r\n"));
    IniFile bitsBack;
    ASSERT_TRUE(bitsBack.fromBytes(bits.toBytes()));
    EXPECT_EQ(bitsBack.getUInt32("PARA1", "um-Slope"), 3000000000u);
    EXPECT_EQ(bitsBack.getUInt32("PARA1", "max"), 0xFFFFFFFFu);
    EXPECT_EQ(bitsBack.getInt("PARA1", "min"), INT32_MIN);
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
    EXPECT_EQ(parseIniInt(" \t\v\f-42 \r\n"), -42);
    EXPECT_EQ(parseIniInt("+17"), 17);
    EXPECT_EQ(parseIniInt("007"), 7);
    EXPECT_EQ(parseIniInt("2147483647"), INT32_MAX);
    EXPECT_EQ(parseIniInt("-2147483648"), INT32_MIN);
    for (const char* bad : {"", "   ", "2147483648", "-2147483649", "1099511627776", "12abc", "abc",
                            "1 2", "- 5", "+", "0x10", "1.5", "99999999999999999999999"})
        EXPECT_FALSE(parseIniInt(bad).has_value()) << bad;
}

TEST(IniRobustness, LineEndsCommentsDuplicateSectionsAndMalformedLines) {
    IniFile ini;
    ini.fromBytes(
        "[A]\nx = 1\ny = 2\nx = 9\r[B]\r; a comment\r# another\rz = 3\n\n\r\n"
        "[a]\r\nx = 700\r\nw = 4\r\n");
    EXPECT_EQ(ini.getInt("A", "y"), 2);
    EXPECT_EQ(ini.getInt("B", "z"), 3);
    EXPECT_EQ(ini.skippedLineCount(), 0);
    // The second copy of a section merges in; the first value of a key wins.
    EXPECT_EQ(ini.sectionCount(), 2);
    EXPECT_EQ(ini.toBytes(),
              QByteArray("[A]\r\nx = 1\r\ny = 2\r\nw = 4\r\n\r\n[B]\r\nz = 3\r\n\r\n"));

    // Malformed lines are skipped, the rest is read.
    QByteArray bytes(
        "stray = 1\r\n"  // before any section
        "[A]\r\nno equals sign\r\n= 5\r\ngood = 6\r\n"
        "[broken\r\nlost = 7\r\n"  // keys under a broken header go nowhere
        "[]\r\nlost2 = 8\r\n"
        "[C] trailing\r\nbig = 1099511627776\r\nok = -3\r\n");
    const char withNul[] = "nul\0key = 9\r\n[D\0]\r\nv = 1\r\nw = 1\0\r\n";
    bytes += QByteArray(withNul, sizeof withNul - 1);
    ini.fromBytes(bytes);
    EXPECT_EQ(ini.getInt("A", "good"), 6);
    EXPECT_FALSE(ini.hasKey("A", "lost"));
    EXPECT_FALSE(ini.hasKey("A", "lost2"));
    EXPECT_FALSE(ini.getInt("C", "big").has_value());  // 2^40 is beyond 32 bits
    EXPECT_EQ(ini.getInt("C", "ok"), -3);
    EXPECT_FALSE(ini.hasKey("C", "nul"));
    // A NUL is an ordinary byte: it stays inside the name, and a value holding one does not
    // convert.
    const QString nulSection = QString::fromLatin1("D\0", 2);
    EXPECT_FALSE(ini.hasSection("D"));
    EXPECT_EQ(ini.getInt(nulSection, "v"), 1);
    EXPECT_TRUE(ini.hasKey(nulSection, "w"));
    EXPECT_FALSE(ini.getInt(nulSection, "w").has_value());
    EXPECT_EQ(ini.skippedLineCount(), 7);
}

TEST(IniRobustness, OverlongLinesAreSkippedWithoutLosingTheNextOnesManySectionsAreRead) {
    QByteArray bytes("[A]\r\nbefore = 1\r\n");
    bytes += "edge = " + QByteArray(IniFile::kMaxLineBytes - 7, '7') + "\r\n";  // at the limit
    bytes += "over = " + QByteArray(IniFile::kMaxLineBytes - 6, '7') + "\r\n";
    bytes += "huge = " + QByteArray(1024 * 1024, '7') + "\r\n";
    bytes += "[" + QByteArray(1024 * 1024, 'S') + "]\r\nafter = 2\r\n";
    bytes += "[B]\r\nlast = 3\r\n";
    IniFile ini;
    ini.fromBytes(bytes);
    EXPECT_EQ(ini.getInt("A", "before"), 1);
    EXPECT_TRUE(ini.hasKey("A", "edge"));
    EXPECT_FALSE(ini.hasKey("A", "over"));
    EXPECT_FALSE(ini.hasKey("A", "huge"));
    EXPECT_FALSE(ini.hasKey("A", "after"));  // it followed the over-long header
    EXPECT_EQ(ini.getInt("B", "last"), 3);
    EXPECT_EQ(ini.skippedLineCount(), 4);

    // Many sections are read in reasonable time.
    bytes.clear();
    for (int i = 0; i < 50000; ++i) bytes += "[S" + QByteArray::number(i) + "]\nk=1\n";
    ini.fromBytes(bytes);
    EXPECT_EQ(ini.getInt("s49999", "K"), 1);
}

TEST(IniRobustness, FilesThatCannotBeReadLeaveTheObjectEmpty) {
    QTemporaryDir dir;
    IniFile ini;
    ini.putInt("A", "x", 1);
    EXPECT_FALSE(ini.readFromFile(dir.filePath("missing.ini")));
    EXPECT_TRUE(ini.isEmpty());

    test::makeSparseFile(dir.filePath("big.ini"), IniFile::kMaxFileBytes + 1, "[A]\r\nx = 1\r\n");
    EXPECT_FALSE(ini.readFromFile(dir.filePath("big.ini")));
    EXPECT_TRUE(ini.isEmpty());
}

}  // namespace
}  // namespace korvo
