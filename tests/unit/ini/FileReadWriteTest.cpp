// Reading whole files: only regular files up to a limit, every other kind refused with a reason.
// Replacing a file: all or nothing, and a failure is reported.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "core/ini/FileRead.h"
#include "core/ini/IniFile.h"
#include "support/TestFiles.h"

namespace korvo {
namespace {

TEST(FileRead, OnlyRegularFilesWithinTheLimitAndAByteOrderMarkOnlyAtTheStart) {
    QTemporaryDir dir;
    test::makeSparseFile(dir.filePath("ten"), 10, "0123456789");
    test::makeSparseFile(dir.filePath("eleven"), 11);
    test::makeFifo(dir.filePath("fifo"));
    ASSERT_TRUE(QFile::link("/dev/zero", dir.filePath("zero")));
    ASSERT_TRUE(QFile::link(dir.filePath("ten"), dir.filePath("link-to-ten")));
    ASSERT_TRUE(QFile::link(dir.filePath("none"), dir.filePath("dangling")));
    ASSERT_TRUE(QFile::link(dir.filePath("loop"), dir.filePath("loop")));

    const struct {
        QString path;
        bool ok, missing;
        const char* reason;
    } cases[] = {
        {dir.filePath("ten"), true, false, ""},
        {dir.filePath("link-to-ten"), true, false, ""},
        {dir.filePath("eleven"), false, false, "larger than 10 bytes"},
        {dir.filePath("fifo"), false, false, "not a regular file but a FIFO"},
        {dir.filePath("zero"), false, false, "not a regular file but a device"},
        {dir.path(), false, false, "not a regular file but a folder"},
        // A link that leads nowhere is a file someone put there, not a missing one.
        {dir.filePath("dangling"), false, false, "a link to a file that does not exist"},
        {dir.filePath("loop"), false, false, "Too many levels of symbolic links"},
        {dir.filePath("none"), false, true, "No such file or directory"},
        {QString(), false, true, "No such file or directory"},
    };
    for (const auto& c : cases) {
        const FileReadResult r = readRegularFile(c.path, 10);
        EXPECT_EQ(r.ok, c.ok) << c.path.toStdString();
        EXPECT_EQ(r.missing, c.missing) << c.path.toStdString();
        EXPECT_EQ(r.reason, QString::fromLatin1(c.reason)) << c.path.toStdString();
        EXPECT_EQ(r.bytes, c.ok ? QByteArray("0123456789") : QByteArray());
    }
    // A file that exists but cannot be opened (no descriptor left) is not a missing one.
    rlimit was{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &was), 0);
    const int lowestFree = ::open("/dev/null", O_RDONLY);
    ::close(lowestFree);
    rlimit none = was;
    none.rlim_cur = static_cast<rlim_t>(lowestFree);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &none), 0);
    const FileReadResult full = readRegularFile(dir.filePath("ten"), 10);
    ::setrlimit(RLIMIT_NOFILE, &was);
    EXPECT_FALSE(full.ok || full.missing);
    EXPECT_EQ(full.reason, QStringLiteral("Too many open files"));
    // A file that holds more than its size said (one that grew since): a child's environment,
    // which reads in whole chunks, up to the limit and then one byte more.
    QProcess child;
    QProcessEnvironment env;
    env.insert(QStringLiteral("FILL"), QString(70000, 'x'));
    child.setProcessEnvironment(env);
    child.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("echo; read x")});
    ASSERT_TRUE(child.waitForReadyRead());  // the shell runs: its environment is the one given
    const QString environment = QStringLiteral("/proc/%1/environ").arg(child.processId());
    EXPECT_EQ(readRegularFile(environment, 65536).reason,
              QStringLiteral("larger than 65536 bytes"));
    child.kill();
    child.waitForFinished();
    // A byte-order mark only at the start.
    EXPECT_EQ(withoutUtf8Bom("\xEF\xBB\xBF[A]"), QByteArrayView("[A]"));
    EXPECT_EQ(withoutUtf8Bom("[A]\xEF\xBB\xBF"), QByteArrayView("[A]\xEF\xBB\xBF"));
    EXPECT_EQ(withoutUtf8Bom("\xEF\xBB"), QByteArrayView("\xEF\xBB"));
}

TEST(FileWrite, ReplacesTheWholeFileOrKeepsTheOldOneAndSaysWhy) {
    QTemporaryDir dir;
    const QString path = dir.filePath("a.ini");
    test::writeFileBytes(path, QByteArray(500, 'x'));
    IniFile ini;
    ini.putInt("A", "k", 1);
    FileWriteResult r = ini.writeToFile(path);
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(r.message.isEmpty());
    const QByteArray written("[A]\r\nk = 1\r\n\r\n");
    EXPECT_EQ(test::fileBytes(path), written);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"a.ini"});  // no leftovers

    // A write that fails part-way, as on a full disk, keeps the old file and leaves nothing else.
    for (int i = 0; i < 100; ++i) ini.putInt("PARA", QString("Key%1").arg(i), i);
    {
        test::FileSizeLimit limit(64);
        r = ini.writeToFile(path);
    }
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.message.contains(path)) << r.message.toStdString();
    EXPECT_EQ(test::fileBytes(path), written);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"a.ini"});

    const QString missing = dir.filePath("no/such/dir/x.ini");
    r = writeFileAtomically(missing, "x");
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.message.contains(missing)) << r.message.toStdString();
}

}  // namespace
}  // namespace korvo
