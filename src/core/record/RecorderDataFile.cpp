#include "core/record/RecorderDataFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <system_error>

namespace korvo {

namespace {

// The operating system's own words ("No space left on device").
QString systemReason(int error) {
    return QString::fromStdString(std::generic_category().message(error));
}

FileResult failed(const QString& text) {
    FileResult r;
    r.error = text;
    return r;
}

FileResult succeeded() {
    FileResult r;
    r.ok = true;
    return r;
}

// Opened without blocking on a FIFO and without becoming a controlling terminal; what is not a
// regular file is turned away right after.
int openForRecording(const QString& path, int flags) {
    int fd = -1;
    do {
        fd = ::open(QFile::encodeName(path).constData(),
                    flags | O_RDWR | O_APPEND | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

bool lockedElsewhere(int fd) {
    return ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
}

}  // namespace

RecorderDataFile::~RecorderDataFile() {
    close();
}

FileResult RecorderDataFile::failure(const QString& text) const {
    return failed(text.arg(path_));
}

FileResult RecorderDataFile::open(const QString& path) {
    close();
    path_ = path;
    const int fd = openForRecording(path, O_CREAT);
    if (fd < 0) return failure(QStringLiteral("Cannot open data file %1: ") + systemReason(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return failure(QStringLiteral("Cannot record into %1: not a regular file"));
    }
    if (lockedElsewhere(fd)) {
        ::close(fd);
        return failure(
            QStringLiteral("Cannot record into data file %1: another recording "
                           "writes to it"));
    }
    fd_ = fd;
    device_ = st.st_dev;
    inode_ = st.st_ino;
    written_ = st.st_size;
    return succeeded();
}

FileResult RecorderDataFile::clear() {
    if (!isOpen()) return failure(QStringLiteral("Data file %1 is not open"));
    const FileResult ours = stillOurs();
    if (!ours.ok) return ours;
    if (::ftruncate(fd_, 0) != 0)
        return failure(QStringLiteral("Cannot empty data file %1: ") + systemReason(errno));
    written_ = 0;
    return succeeded();
}

FileResult RecorderDataFile::stillOurs() const {
    struct stat atPath {};
    if (::stat(QFile::encodeName(path_).constData(), &atPath) != 0) {
        if (errno == ENOENT)
            return failure(
                QStringLiteral("Data file %1 was moved or deleted during the recording"));
        return failure(QStringLiteral("Data file %1 can no longer be reached: ") +
                       systemReason(errno));
    }
    if (atPath.st_dev != device_ || atPath.st_ino != inode_)
        return failure(
            QStringLiteral("Data file %1 was replaced by another file during the "
                           "recording"));
    struct stat held {};
    if (::fstat(fd_, &held) != 0)
        return failure(QStringLiteral("Cannot check data file %1: ") + systemReason(errno));
    if (held.st_size != written_)
        return failed(QStringLiteral("Data file %1 was changed by another program during the "
                                     "recording (%2 bytes, this recording wrote %3)")
                          .arg(path_)
                          .arg(held.st_size)
                          .arg(written_));
    return succeeded();
}

FileResult RecorderDataFile::append(const QByteArray& bytes) {
    if (!isOpen()) return failure(QStringLiteral("Data file %1 is not open"));
    const FileResult unchanged = stillOurs();
    if (!unchanged.ok) return unchanged;
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, data, static_cast<std::size_t>(left));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            // A full disk takes part of a line, then nothing: the part goes again, so the file
            // ends with the last whole line.
            const int error = n < 0 ? errno : ENOSPC;
            QString text = QStringLiteral("Cannot write to data file %1: ") + systemReason(error);
            if (::ftruncate(fd_, written_) != 0)
                text += QStringLiteral("; the part written could not be cut off: ") +
                        systemReason(errno);
            return failure(text);
        }
        data += n;
        left -= n;
    }
    written_ += bytes.size();
    return succeeded();
}

void RecorderDataFile::close() {
    if (fd_ >= 0) ::close(fd_);  // releases the lock
    fd_ = -1;
}

FileResult deleteRecorderFile(const QString& path) {
    const int fd = openForRecording(path, 0);
    if (fd >= 0 && lockedElsewhere(fd)) {
        ::close(fd);
        return failed(
            QStringLiteral("Cannot delete data file %1: a recording writes to it").arg(path));
    }
    const bool removed = ::unlink(QFile::encodeName(path).constData()) == 0 || errno == ENOENT;
    const int error = errno;
    if (fd >= 0) ::close(fd);
    if (removed) return succeeded();
    return failed(QStringLiteral("Cannot delete data file %1: %2").arg(path, systemReason(error)));
}

}  // namespace korvo
