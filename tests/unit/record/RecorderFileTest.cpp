#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/record/RecorderFile.h"
#include "core/record/RecorderTime.h"

namespace korvo {
namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

RecorderHeader header(std::uint16_t mode) {
    RecorderHeader h;
    h.date = recorderDateText(QDate(2024, 3, 7));
    h.time = recorderTimeText(QTime(9, 5, 3));
    h.mode = mode;
    h.increment = 0.5;
    h.samples = 10;
    h.umOffset = 32746;
    h.umSlope = 1536;
    return h;
}

TEST(RecorderFile, HeaderBlockBytes) {
    const QByteArray expected(
        "Date:\t03-07-2024\r\n"
        "Time:\t09:05:03\r\n"
        "Time-Increment[s]:\t0.5\r\n"
        "Number of Samples:\t10\r\n"
        "Offset-Value [\xB5m]:\t-21\r\n"
        "Slope-Value [\xB5m/pixel]:\t1.5\r\n"
        "M-VALUE\tE-LEFT\tE-RIGHT\tEDGES\tM-VAL[um]\r\n");
    EXPECT_EQ(recorderHeaderBytes(header(0)), expected);
    // Mode 4 carries the field values like mode 0.
    EXPECT_EQ(recorderHeaderBytes(header(4)), expected);
}

TEST(RecorderFile, TriggeredModeHeaderIgnoresFields) {
    RecorderHeader h = header(1);
    h.umOffset = 32767;
    h.umSlope = 10240;
    EXPECT_EQ(recorderHeaderBytes(h), QByteArray("Date:\t03-07-2024\r\n"
                                                 "Time:\t09:05:03\r\n"
                                                 "Time-Increment[s]:\t0\r\n"
                                                 "Number of Samples:\t32000\r\n"
                                                 "Offset-Value [\xB5m]:\t0\r\n"
                                                 "Slope-Value [\xB5m/pixel]:\t10\r\n"
                                                 "M-VALUE\tE-LEFT\tE-RIGHT\tEDGES\tM-VAL[um]\r\n"));
}

TEST(RecorderFile, NumbersKeepTheirValueWithoutExponent) {
    RecorderHeader h = header(0);
    h.increment = 0.1;
    h.umSlope = 1;             // 1/1024 micrometre per pixel
    h.umOffset = 4294967295u;  // reads as -32768
    const QByteArray bytes = recorderHeaderBytes(h);
    EXPECT_TRUE(bytes.contains("Time-Increment[s]:\t0.1\r\n"));
    EXPECT_TRUE(bytes.contains("Slope-Value [\xB5m/pixel]:\t0.0009765625\r\n"));
    EXPECT_TRUE(bytes.contains("Offset-Value [\xB5m]:\t-32768\r\n"));
    h.increment = 3600.0;
    h.umSlope = 4294967295u;  // largest slope, single precision
    const QByteArray big = recorderHeaderBytes(h);
    EXPECT_TRUE(big.contains("Time-Increment[s]:\t3600\r\n"));
    EXPECT_TRUE(big.contains("Slope-Value [\xB5m/pixel]:\t4194304\r\n"));
}

TEST(RecorderFile, RecordLine) {
    EXPECT_EQ(recorderLineBytes(2048, 1000, 3096, 2, 123456),
              QByteArray("2048\t1000\t3096\t2\t123456\r\n"));
    EXPECT_EQ(recorderLineBytes(65535, 0, 0, 0, 4294967295u),
              QByteArray("65535\t0\t0\t0\t4294967295\r\n"));
}

TEST(RecorderFile, AppendsPieceByPieceAndDeletes) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("RECORD.DAT");
    ASSERT_TRUE(WriteRecorderHeader(path, header(0)).ok);
    ASSERT_TRUE(appendRecorderLine(path, 2048, 1000, 3096, 2, 123456).ok);
    ASSERT_TRUE(appendRecorderLine(path, 1, 2, 3, 4, 5).ok);
    const QByteArray content = readAll(path);
    EXPECT_TRUE(content.startsWith(recorderHeaderBytes(header(0))));
    EXPECT_TRUE(content.endsWith("M-VAL[um]\r\n2048\t1000\t3096\t2\t123456\r\n1\t2\t3\t4\t5\r\n"));

    ASSERT_TRUE(deleteRecorderFile(path).ok);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(deleteRecorderFile(path).ok);  // already gone
}

TEST(RecorderFile, FailedAppendIsReported) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A plain file where the folder should be: no user, root included, can write below it.
    const QString blocker = dir.filePath("not-a-folder");
    QFile file(blocker);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const QString path = blocker + "/RECORD.DAT";

    FileResult r = appendRecorderLine(path, 2048, 1000, 3096, 2, 123456);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.error.startsWith("Cannot open data file " + path)) << r.error.toStdString();
    r = WriteRecorderHeader(path, header(0));
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.isEmpty());

    // A read-only folder (where permissions apply to this user).
    const QString lockedDir = dir.filePath("locked");
    ASSERT_TRUE(QDir().mkdir(lockedDir));
    QFile::setPermissions(lockedDir, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const QString lockedPath = lockedDir + "/RECORD.DAT";
    r = appendToFile(lockedPath, "x");
    if (QFile::exists(lockedPath)) {
        // Running with privileges that ignore folder permissions: the write had to succeed.
        EXPECT_TRUE(r.ok);
    } else {
        EXPECT_FALSE(r.ok);
        EXPECT_FALSE(r.error.isEmpty());
    }
    QFile::setPermissions(lockedDir,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST(RecorderTime, SplitsSecondsByIntegerDivision) {
    EXPECT_EQ(splitRecorderTime(176461), (RecorderTime{2, 1, 1, 1}));
    EXPECT_EQ(splitRecorderTime(0), (RecorderTime{0, 0, 0, 0}));
    EXPECT_EQ(splitRecorderTime(86399), (RecorderTime{0, 23, 59, 59}));
    EXPECT_EQ(splitRecorderTime(86400), (RecorderTime{1, 0, 0, 0}));
}

TEST(RecorderTime, ExpectedDurationOnlyWithinFieldLimits) {
    EXPECT_EQ(expectedDurationAfterSamplesEdit(10, 0.5), 5);
    EXPECT_EQ(expectedDurationAfterSamplesEdit(3, 0.7), 2);  // 2.1 truncated
    EXPECT_EQ(expectedDurationAfterSamplesEdit(31999, 3600.0), 115196400);
    EXPECT_FALSE(expectedDurationAfterSamplesEdit(32000, 0.1).has_value());
    EXPECT_EQ(expectedDurationAfterStepEdit(100, 3599.9), 359990);
    EXPECT_FALSE(expectedDurationAfterStepEdit(100, 3600.0).has_value());
    EXPECT_EQ(expectedDurationAfterStepEdit(32000, 0.1), 3200);
}

}  // namespace
}  // namespace korvo
