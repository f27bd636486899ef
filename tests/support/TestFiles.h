#pragma once
// Files for the tests: whole contents read and written, and paths that a file reader must refuse
// at once (a FIFO, which would block a plain read for good, and a file larger than the reader's
// limit, made sparse so that it costs no disk space).

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QFile>
#include <QString>

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

}  // namespace korvo::test
