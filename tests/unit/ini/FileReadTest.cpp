// Reading whole files: only regular files up to a limit, every other kind refused with a reason.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "core/ini/FileRead.h"
#include "support/UnreadableFiles.h"

namespace korvo {
namespace {

TEST(FileRead, OnlyRegularFilesWithinTheLimit) {
    QTemporaryDir dir;
    test::makeSparseFile(dir.filePath("ten"), 10, "0123456789");
    test::makeSparseFile(dir.filePath("eleven"), 11);
    test::makeFifo(dir.filePath("fifo"));
    ASSERT_TRUE(QFile::link("/dev/zero", dir.filePath("zero")));
    ASSERT_TRUE(QFile::link(dir.filePath("ten"), dir.filePath("link-to-ten")));

    struct Case {
        QString path;
        bool ok;
        bool missing;
        const char* reason;
    };
    const Case cases[] = {
        {dir.filePath("ten"), true, false, ""},
        {dir.filePath("link-to-ten"), true, false, ""},
        {dir.filePath("eleven"), false, false, "larger than 10 bytes"},
        {dir.filePath("fifo"), false, false, "not a regular file but a FIFO"},
        {dir.filePath("zero"), false, false, "not a regular file but a device"},
        {dir.path(), false, false, "not a regular file but a folder"},
        {dir.filePath("none"), false, true, "No such file or directory"},
        {QString(), false, true, "No such file or directory"},
    };
    for (const Case& c : cases) {
        const FileReadResult r = readRegularFile(c.path, 10);
        EXPECT_EQ(r.ok, c.ok) << c.path.toStdString();
        EXPECT_EQ(r.missing, c.missing) << c.path.toStdString();
        EXPECT_EQ(r.reason, QString::fromLatin1(c.reason)) << c.path.toStdString();
        EXPECT_EQ(r.bytes, c.ok ? QByteArray("0123456789") : QByteArray());
    }
}

TEST(FileRead, ByteOrderMarkOnlyAtTheStart) {
    EXPECT_EQ(withoutUtf8Bom("\xEF\xBB\xBF[A]"), QByteArrayView("[A]"));
    EXPECT_EQ(withoutUtf8Bom("[A]\xEF\xBB\xBF"), QByteArrayView("[A]\xEF\xBB\xBF"));
    EXPECT_EQ(withoutUtf8Bom("\xEF\xBB"), QByteArrayView("\xEF\xBB"));
}

}  // namespace
}  // namespace korvo
