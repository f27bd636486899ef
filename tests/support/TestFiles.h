#pragma once
// Files for the tests: whole contents read and written, paths that a file reader must refuse
// at once (a FIFO, which would block a plain read for good, and a file larger than the reader's
// limit, made sparse so that it costs no disk space), and a disk that fills up.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <QFile>
#include <QString>
#include <csignal>

namespace korvo::test {

// The file's bytes, or "<unreadable>", which no file of the tests holds.
inline QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

inline void writeFileBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

inline void makeFifo(const QString& path) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0) << path.toStdString();
}

inline void makeSparseFile(const QString& path, qint64 size, const QByteArray& start = {}) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(start);
    ASSERT_TRUE(f.resize(size));
}

// Lowers this process's file-size limit while it lives: a write beyond it is cut short and then
// fails (EFBIG) as on a full disk, for root as for anyone, without a disk to fill.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) : signal_(std::signal(SIGXFSZ, SIG_IGN)) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        rlimit lowered = old_;
        lowered.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, signal_);
    }

private:
    void (*signal_)(int);
    rlimit old_{};
};

}  // namespace korvo::test
