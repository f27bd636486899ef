// The parameter file: exact bytes, reading rules, hardware-type gate.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "core/params/ParamFile.h"

namespace korvo {
namespace {

const QByteArray kDefaultFile(
    "[PARA0]\r\n"
    "Power = 500\r\n"
    "Power-Mode = 1\r\n"
    "Polarity = 1\r\n"
    "Eval-Mode = 1\r\n"
    "Eval-Begin = 1\r\n"
    "Eval-End = 1024\r\n"
    "Teach-Value = 512\r\n"
    "Upper-Tolerance = 100\r\n"
    "Lower-Tolerance = 100\r\n"
    "Average = 1\r\n"
    "Ext.Trigger-Mode = 0\r\n"
    "Analog-Out-Mode = 0\r\n"
    "CCD-Operation-Mode = 0\r\n"
    "Hardware-Mode = 1\r\n"
    "Video-Thd-Mode = 0\r\n"
    "\r\n"
    "[PARA1]\r\n"
    "Video-Thd-Fix = 40\r\n"
    "Video-Thd-Auto = 70\r\n"
    "RS-232-Mode = 0\r\n"
    "RS-232-Baudrate = 1\r\n"
    "Filter-Type = 0\r\n"
    "Analog-Zoom-Mode = 0\r\n"
    "Int.Trigger-Mode = 0\r\n"
    "Trigger-Pixel = 0\r\n"
    "Digital-Out-Mode = 0\r\n"
    "Para10 = 0\r\n"
    "Para11 = 0\r\n"
    "um-Slope = 1024\r\n"
    "um-Offset = 32767\r\n"
    "\r\n");

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeRaw(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

class ParamFileTest : public ::testing::Test {
protected:
    QString path(const char* name = "KORVO-PARA.ini") const { return dir_.filePath(name); }
    QTemporaryDir dir_;
};

TEST_F(ParamFileTest, DefaultSetGivesTheExactFile) {
    const FileWriteResult r = SendParaToFileI(ParamSet{}, path());
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    const QByteArray bytes = readAll(path());
    EXPECT_TRUE(bytes.startsWith("[PARA0]\r\nPower = 500\r\nPower-Mode = 1\r\n"));
    EXPECT_TRUE(bytes.endsWith("um-Slope = 1024\r\num-Offset = 32767\r\n\r\n"));
    EXPECT_EQ(bytes, kDefaultFile);
}

TEST_F(ParamFileTest, WrittenFileReadsBackIntoAnEqualSet) {
    ParamSet p;
    p.power = 999;
    p.teachValue = 65535;
    p.ccdOperationMode = 1;
    p.para10 = 12345;
    p.umSlope = 3000000000u;
    p.umOffset = 0xFFFFFFFFu;
    ASSERT_TRUE(SendParaToFileI(p, path()).ok);
    const QByteArray bytes = readAll(path());
    EXPECT_TRUE(bytes.contains("\r\num-Slope = -1294967296\r\n"));
    EXPECT_TRUE(bytes.contains("\r\num-Offset = -1\r\n"));
    EXPECT_TRUE(bytes.contains("\r\nTeach-Value = 65535\r\n"));

    ParamSet q;
    EXPECT_EQ(ReadParaFromFileI(q, path(), 1), 1);
    EXPECT_EQ(q, p);  // CCD-Operation-Mode included: the reader knows the key it writes
    EXPECT_EQ(q.umSlope, 3000000000u);
}

TEST_F(ParamFileTest, OtherHardwareTypesChangeNothing) {
    ParamSet p;
    p.power = 10;
    ASSERT_TRUE(SendParaToFileI(p, path()).ok);
    for (std::uint16_t type : {0, 2, 4}) {
        ParamSet q;
        EXPECT_EQ(ReadParaFromFileI(q, path(), type), 0);
        EXPECT_EQ(q, ParamSet{});
    }
    ParamSet q;
    EXPECT_EQ(ReadParaFromFileI(q, path(), 3), 1);
    EXPECT_EQ(q.power, 10);
}

TEST_F(ParamFileTest, MissingFileChangesNothing) {
    ParamSet q;
    q.power = 3;
    EXPECT_EQ(ReadParaFromFileI(q, path("none.ini"), 1), 0);
    EXPECT_EQ(q.power, 3);
}

TEST_F(ParamFileTest, HandWrittenFileIsReadForgivingly) {
    writeRaw(path(),
             "[para0]\n"
             "power = 700\n"
             "   Teach-Value   =   1234   \n"
             "Average = lots\n"
             "Eval-End = 70000\n"      // 16-bit fields take the low 16 bits: 4464
             "Upper-Tolerance = -1\n"  // 65535, no range check here
             "CCD-OP-Mode = 1\n"
             "[PARA1]\n"
             "um-Offset = -2\n");
    ParamSet q;
    q.average = 8;
    ASSERT_EQ(ReadParaFromFileI(q, path(), 1), 1);
    EXPECT_EQ(q.power, 700);
    EXPECT_EQ(q.teachValue, 1234);
    EXPECT_EQ(q.average, 8);
    EXPECT_EQ(q.evalEnd, 4464);
    EXPECT_EQ(q.upperTolerance, 65535);
    EXPECT_EQ(q.ccdOperationMode, 1);
    EXPECT_EQ(q.umOffset, 0xFFFFFFFEu);
    EXPECT_EQ(q.umSlope, 1024u);  // missing: unchanged
    EXPECT_EQ(q.polarity, 1);
}

TEST_F(ParamFileTest, LongCcdKeyWinsOverTheShortOne) {
    writeRaw(path(), "[PARA0]\r\nCCD-OP-Mode = 1\r\nCCD-Operation-Mode = 0\r\n");
    ParamSet q;
    q.ccdOperationMode = 5;
    ReadParaFromFileI(q, path(), 1);
    EXPECT_EQ(q.ccdOperationMode, 0);
}

TEST_F(ParamFileTest, GarbageFileAppliesWhatIsReadable) {
    const char head[] = "\x00\x01\xff\r\n[PARA0]\r\n";
    QByteArray bytes(head, sizeof head - 1);
    bytes += QByteArray(2 * 1024 * 1024, '\0');
    bytes += "\r\nPower = 321\r\nPolarity = 99999999999\r\n[PARA0]\r\nPower = 1\r\nAverage = 4\r\n";
    writeRaw(path(), bytes);
    ParamSet q;
    ASSERT_EQ(ReadParaFromFileI(q, path(), 1), 1);
    EXPECT_EQ(q.power, 321);   // the first of the two PARA0 sections wins
    EXPECT_EQ(q.polarity, 1);  // beyond 32 bits: not found
    EXPECT_EQ(q.average, 4);
}

TEST_F(ParamFileTest, FailedWriteIsReportedAndKeepsTheOldFile) {
    const QString target = path();
    writeRaw(target, "old");
    // The target's folder does not exist: nothing can be written.
    const FileWriteResult r = SendParaToFileI(ParamSet{}, dir_.filePath("gone/KORVO-PARA.ini"));
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.message.isEmpty());
    EXPECT_EQ(readAll(target), QByteArray("old"));
}

}  // namespace
}  // namespace korvo
