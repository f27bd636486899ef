// Damaged or foreign files: the reader applies what it can read and never crashes.

#include <gtest/gtest.h>

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include "core/ini/IniFile.h"

namespace korvo {
namespace {

TEST(IniRobustness, LineEndsCommentsAndDuplicateSections) {
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
}

TEST(IniRobustness, MalformedLinesAreSkippedTheRestIsRead) {
    QByteArray bytes(
        "stray = 1\r\n"  // before any section
        "[A]\r\nno equals sign\r\n= 5\r\ngood = 6\r\n"
        "[broken\r\nlost = 7\r\n"  // keys under a broken header go nowhere
        "[]\r\nlost2 = 8\r\n"
        "[C] trailing\r\nbig = 1099511627776\r\nok = -3\r\n");
    const char withNul[] = "nul\0key = 9\r\n[D\0]\r\nv = 1\r\nw = 1\0\r\n";
    bytes += QByteArray(withNul, sizeof withNul - 1);
    IniFile ini;
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

TEST(IniRobustness, OverlongLineIsSkippedWithoutLosingTheNextLines) {
    QByteArray bytes("[A]\r\nbefore = 1\r\n");
    bytes += "huge = " + QByteArray(1024 * 1024, '7') + "\r\n";
    bytes += "[" + QByteArray(1024 * 1024, 'S') + "]\r\nafter = 2\r\n";
    bytes += "[B]\r\nlast = 3\r\n";
    IniFile ini;
    ini.fromBytes(bytes);
    EXPECT_EQ(ini.getInt("A", "before"), 1);
    EXPECT_FALSE(ini.hasKey("A", "huge"));
    EXPECT_FALSE(ini.hasKey("A", "after"));  // it followed the over-long header
    EXPECT_EQ(ini.getInt("B", "last"), 3);
    EXPECT_EQ(ini.skippedLineCount(), 3);
}

TEST(IniRobustness, BinaryGarbageNeverCrashes) {
    // Plenty of structure characters so that the parser's paths are all taken.
    static const char kAlphabet[] = "[]=\r\n 0123456789-+abc\0\xff\t";
    QRandomGenerator rng(1234);
    for (int round = 0; round < 50; ++round) {
        QByteArray bytes(4096 + round * 97, Qt::Uninitialized);
        for (char& c : bytes) c = kAlphabet[rng.bounded(static_cast<int>(sizeof kAlphabet - 1))];
        IniFile ini;
        ini.fromBytes(bytes);
        IniFile again;
        again.fromBytes(ini.toBytes());  // whatever was kept writes and reads back
        EXPECT_EQ(again.toBytes(), ini.toBytes());
    }
}

TEST(IniRobustness, ManySectionsReadInReasonableTime) {
    QByteArray bytes;
    for (int i = 0; i < 50000; ++i) bytes += "[S" + QByteArray::number(i) + "]\nk=1\n";
    IniFile ini;
    ini.fromBytes(bytes);
    EXPECT_EQ(ini.getInt("s49999", "K"), 1);
}

TEST(IniRobustness, FilesThatCannotBeReadLeaveTheObjectEmpty) {
    QTemporaryDir dir;
    IniFile ini;
    ini.putInt("A", "x", 1);
    EXPECT_FALSE(ini.readFromFile(dir.filePath("missing.ini")));
    EXPECT_TRUE(ini.isEmpty());
    EXPECT_FALSE(ini.readFromFile(dir.path()));  // a directory

    QFile big(dir.filePath("big.ini"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    big.write("[A]\r\nx = 1\r\n");
    ASSERT_TRUE(big.resize(IniFile::kMaxFileBytes + 1));
    big.close();
    EXPECT_FALSE(ini.readFromFile(big.fileName()));
    EXPECT_TRUE(ini.isEmpty());
}

}  // namespace
}  // namespace korvo
