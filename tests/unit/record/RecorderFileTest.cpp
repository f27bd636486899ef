// The recorder's data file, held by one recording, and its time arithmetic.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <functional>

#include "core/record/RecorderDataFile.h"
#include "core/record/RecorderFile.h"
#include "core/record/RecorderTime.h"
#include "support/TestFiles.h"

namespace korvo {
namespace {

// Increment 0.5 s, 10 samples, offset 32746 and slope 1536.
RecorderHeader header(std::uint16_t mode) {
    return {recorderDateText(QDate(2024, 3, 7)),
            recorderTimeText(QTime(9, 5, 3)),
            mode,
            0.5,
            10,
            32746,
            1536};
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

TEST(RecorderFile, RecordLinesAppendPieceByPieceAndDeleteAndAPathBelowAFileIsRefused) {
    EXPECT_EQ(recorderLineBytes(65535, 0, 0, 0, 4294967295u),
              QByteArray("65535\t0\t0\t0\t4294967295\r\n"));
    QTemporaryDir dir;
    const QString path = dir.filePath("RECORD.DAT");
    test::writeFileBytes(path, "an older recording");
    const QByteArray expected =
        headerText("0.5", "10", "-21", "1.5") + "2048\t1000\t3096\t2\t123456\r\n1\t2\t3\t4\t5\r\n";
    {
        RecorderDataFile file;
        ASSERT_TRUE(file.open(path).ok);
        ASSERT_TRUE(file.clear().ok);
        ASSERT_TRUE(file.append(recorderHeaderBytes(header(0))).ok);
        ASSERT_TRUE(file.append(recorderLineBytes(2048, 1000, 3096, 2, 123456)).ok);
        ASSERT_TRUE(file.append(recorderLineBytes(1, 2, 3, 4, 5)).ok);
        EXPECT_EQ(test::fileBytes(path), expected);

        // A second recording onto the same path is refused and neither empties nor deletes it.
        RecorderDataFile second;
        const FileResult refused = second.open(path);
        EXPECT_FALSE(refused.ok);
        EXPECT_TRUE(refused.error.contains("another recording")) << refused.error.toStdString();
        EXPECT_FALSE(deleteRecorderFile(path).ok);
        EXPECT_EQ(test::fileBytes(path), expected);
    }
    ASSERT_TRUE(deleteRecorderFile(path).ok);  // released with the recording
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(deleteRecorderFile(path).ok);  // already gone

    // A plain file where the folder should be: no user, root included, can write below it. (A
    // header that cannot be written ends a recording in the integration test Recording.)
    test::writeFileBytes(path, {});
    RecorderDataFile below;
    const FileResult r = below.open(path + "/RECORD.DAT");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "Cannot open data file " + path + "/RECORD.DAT: Not a directory");
    EXPECT_FALSE(below.append("1\r\n").ok);
    EXPECT_FALSE(RecorderDataFile().open(QStringLiteral("/dev/null")).ok);  // no regular file
}

// Between two appends, the file is changed behind the recording's back: the second append is
// refused, and nothing is written anywhere.
TEST(RecorderFile, AFileMovedDeletedReplacedOrWrittenByOthersIsNoLongerAppendedTo) {
    const struct {
        const char* what;
        std::function<void(const QString& path)> change;
        const char* reason;
        QByteArray atPath;  // what the path holds afterwards
    } cases[] = {
        // Moved leaves the path empty as deleted does; the integration test Recording moves it.
        {"deleted", [](const QString& p) { QFile::remove(p); }, "moved or deleted", "<unreadable>"},
        {"replaced",
         [](const QString& p) {
             QFile::remove(p);
             test::writeFileBytes(p, "other\r\n");
         },
         "replaced by another file", "other\r\n"},
        {"appended to",
         [](const QString& p) {
             QFile f(p);
             ASSERT_TRUE(f.open(QIODevice::Append));
             f.write("7\r\n");
         },
         "changed by another program during the recording (10 bytes, this recording wrote 7)",
         "first\r\n7\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QString path = dir.filePath("RECORD.DAT");
        RecorderDataFile file;
        ASSERT_TRUE(file.open(path).ok);
        ASSERT_TRUE(file.append("first\r\n").ok);
        c.change(path);
        const FileResult r = file.append("second\r\n");
        EXPECT_FALSE(r.ok);
        EXPECT_TRUE(r.error.contains(c.reason)) << r.error.toStdString();
        EXPECT_EQ(test::fileBytes(path), c.atPath);
    }
}

TEST(RecorderFile, AShortWriteIsCutBackToTheLastWholeLineAndGivesTheSystemsReason) {
    QTemporaryDir dir;
    const QString path = dir.filePath("RECORD.DAT");
    const QByteArray head = recorderHeaderBytes(header(0));
    const QByteArray line = recorderLineBytes(4991, 3424, 4991, 2, 123456);
    RecorderDataFile file;
    ASSERT_TRUE(file.open(path).ok);
    FileResult full;
    {
        // Room for the header and half a line.
        test::FileSizeLimit limit(static_cast<rlim_t>(head.size() + line.size() / 2));
        ASSERT_TRUE(file.append(head).ok);
        full = file.append(line);
    }
    EXPECT_FALSE(full.ok);
    EXPECT_EQ(full.error, "Cannot write to data file " + path + ": File too large");
    EXPECT_EQ(test::fileBytes(path), head);
    // The file goes on from its last whole line.
    EXPECT_TRUE(file.append(line).ok);
    EXPECT_EQ(test::fileBytes(path), head + line);
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
