// The recorder's data file and its time arithmetic.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "core/record/RecorderFile.h"
#include "core/record/RecorderTime.h"

namespace korvo {
namespace {

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

QByteArray headerText(const char* increment, const char* samples, const char* offset,
                      const char* slope) {
    return QByteArray("Date:\t03-07-2024\r\nTime:\t09:05:03\r\nTime-Increment[s]:\t") + increment +
           "\r\nNumber of Samples:\t" + samples + "\r\nOffset-Value [\xB5m]:\t" + offset +
           "\r\nSlope-Value [\xB5m/pixel]:\t" + slope +
           "\r\nM-VALUE\tE-LEFT\tE-RIGHT\tEDGES\tM-VAL[um]\r\n";
}

TEST(RecorderFile, HeaderBlockBytes) {
    EXPECT_EQ(recorderHeaderBytes(header(0)), headerText("0.5", "10", "-21", "1.5"));
    EXPECT_EQ(recorderHeaderBytes(header(4)), headerText("0.5", "10", "-21", "1.5"));
    // The triggered mode ignores the fields.
    RecorderHeader h = header(1);
    h.umOffset = 32767;
    h.umSlope = 10240;
    EXPECT_EQ(recorderHeaderBytes(h), headerText("0", "32000", "0", "10"));

    // Numbers keep their value without an exponent.
    h = header(0);
    h.increment = 0.1;
    h.umSlope = 1;             // 1/1024 micrometre per pixel
    h.umOffset = 4294967295u;  // reads as -32768
    EXPECT_EQ(recorderHeaderBytes(h), headerText("0.1", "10", "-32768", "0.0009765625"));
    h.increment = 3600.0;
    h.umSlope = 4294967295u;  // largest slope, single precision
    EXPECT_EQ(recorderHeaderBytes(h), headerText("3600", "10", "-32768", "4194304"));
}

TEST(RecorderFile, RecordLinesAppendPieceByPieceAndDelete) {
    EXPECT_EQ(recorderLineBytes(65535, 0, 0, 0, 4294967295u),
              QByteArray("65535\t0\t0\t0\t4294967295\r\n"));
    QTemporaryDir dir;
    const QString path = dir.filePath("RECORD.DAT");
    ASSERT_TRUE(WriteRecorderHeader(path, header(0)).ok);
    ASSERT_TRUE(appendRecorderLine(path, 2048, 1000, 3096, 2, 123456).ok);
    ASSERT_TRUE(appendRecorderLine(path, 1, 2, 3, 4, 5).ok);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), headerText("0.5", "10", "-21", "1.5") +
                               "2048\t1000\t3096\t2\t123456\r\n1\t2\t3\t4\t5\r\n");
    ASSERT_TRUE(deleteRecorderFile(path).ok);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(deleteRecorderFile(path).ok);  // already gone
}

// A header that cannot be written ends a recording in the integration test Recording.
TEST(RecorderFile, FailedWritesAreReported) {
    QTemporaryDir dir;
    // A plain file where the folder should be: no user, root included, can write below it.
    const QString blocker = dir.filePath("not-a-folder");
    QFile file(blocker);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const QString path = blocker + "/RECORD.DAT";
    const FileResult r = appendRecorderLine(path, 2048, 1000, 3096, 2, 123456);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.error.startsWith("Cannot open data file " + path)) << r.error.toStdString();
}

TEST(RecorderTime, SplitsSecondsAndExpectsDurationsWithinFieldLimits) {
    EXPECT_EQ(splitRecorderTime(176461), (RecorderTime{2, 1, 1, 1}));
    EXPECT_EQ(splitRecorderTime(86399), (RecorderTime{0, 23, 59, 59}));
    EXPECT_EQ(splitRecorderTime(86400), (RecorderTime{1, 0, 0, 0}));

    EXPECT_EQ(expectedDurationAfterSamplesEdit(3, 0.7), 2);  // 2.1 truncated
    EXPECT_EQ(expectedDurationAfterSamplesEdit(31999, 3600.0), 115196400);
    EXPECT_FALSE(expectedDurationAfterSamplesEdit(32000, 0.1).has_value());
    EXPECT_EQ(expectedDurationAfterStepEdit(100, 3599.9), 359990);
    EXPECT_FALSE(expectedDurationAfterStepEdit(100, 3600.0).has_value());
    EXPECT_EQ(expectedDurationAfterStepEdit(32000, 0.1), 3200);
}

}  // namespace
}  // namespace korvo
