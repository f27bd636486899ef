// Replacing a file: all or nothing, and a failure is reported.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/ini/IniFile.h"

namespace korvo {
namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void writeRaw(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

bool canCreateFileIn(const QString& dir) {
    QFile probe(QDir(dir).filePath("probe"));
    if (!probe.open(QIODevice::WriteOnly)) return false;
    probe.remove();
    return true;
}

// Makes a directory unwritable for the length of a test: by its mode bits, and for a user who
// ignores those (root) by the immutable flag where the file system offers it.
class ReadOnlyDir {
public:
    explicit ReadOnlyDir(const QString& path) : path_(path) {
        QFile::setPermissions(path_, QFile::ReadOwner | QFile::ExeOwner);
        if (canCreateFileIn(path_)) setImmutable(true);
    }
    ~ReadOnlyDir() {
        if (immutable_) setImmutable(false);
        QFile::setPermissions(path_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    bool effective() const { return !canCreateFileIn(path_); }

private:
    void setImmutable(bool on) {
        const int fd = ::open(QFile::encodeName(path_).constData(), O_RDONLY | O_DIRECTORY);
        if (fd < 0) return;
        int flags = 0;
        if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            if (::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0) immutable_ = on;
        }
        ::close(fd);
    }
    QString path_;
    bool immutable_ = false;
};

TEST(FileWrite, ReplacesTheWholeFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("a.ini");
    writeRaw(path, QByteArray(500, 'x'));
    IniFile ini;
    ini.putInt("A", "k", 1);
    const FileWriteResult r = ini.writeToFile(path);
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(r.message.isEmpty());
    EXPECT_EQ(readAll(path), QByteArray("[A]\r\nk = 1\r\n\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"a.ini"});  // no leftovers
}

TEST(FileWrite, ReadOnlyDirectoryReportsFailureAndKeepsTheOldFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("MPLEX16.ini");
    writeRaw(path, "[OLD]\r\nx = 1\r\n\r\n");
    ReadOnlyDir guard(dir.path());
    if (!guard.effective()) GTEST_SKIP() << "cannot make a directory read-only here";

    IniFile ini;
    ini.putInt("NEW", "y", 2);
    const FileWriteResult r = ini.writeToFile(path);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.message.contains(path)) << r.message.toStdString();
    EXPECT_EQ(readAll(path), QByteArray("[OLD]\r\nx = 1\r\n\r\n"));
}

TEST(FileWrite, FailureInTheMiddleOfWritingKeepsTheOldFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("KORVO-PARA.ini");
    writeRaw(path, "[OLD]\r\n\r\n");
    IniFile ini;
    for (int i = 0; i < 100; ++i) ini.putInt("PARA", QString("Key%1").arg(i), i);

    // A file size limit makes the write fail part-way, as a full disk would.
    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct sigaction ignore {
    }, previous{};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &previous);
    struct rlimit small = saved;
    small.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const FileWriteResult r = ini.writeToFile(path);
    setrlimit(RLIMIT_FSIZE, &saved);
    sigaction(SIGXFSZ, &previous, nullptr);

    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.message.isEmpty());
    EXPECT_EQ(readAll(path), QByteArray("[OLD]\r\n\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"KORVO-PARA.ini"});
}

TEST(FileWrite, MissingDirectoryReportsFailure) {
    QTemporaryDir dir;
    const FileWriteResult r = writeFileAtomically(dir.filePath("no/such/dir/x.ini"), "x");
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.message.isEmpty());
}

}  // namespace
}  // namespace korvo
