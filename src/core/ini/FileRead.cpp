#include "core/ini/FileRead.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <system_error>

namespace korvo {
namespace {

QString systemReason(int error) {
    return QString::fromStdString(std::generic_category().message(error));
}

// Empty for a regular file, else what the path names instead.
QString notRegularReason(mode_t mode) {
    if (S_ISREG(mode)) return {};
    const char* kind = S_ISDIR(mode)                    ? "a folder"
                       : S_ISFIFO(mode)                 ? "a FIFO"
                       : S_ISCHR(mode) || S_ISBLK(mode) ? "a device"
                       : S_ISSOCK(mode)                 ? "a socket"
                                                        : nullptr;
    const QString reason = QStringLiteral("not a regular file");
    return kind ? reason + QStringLiteral(" but ") + QLatin1String(kind) : reason;
}

QString tooLargeReason(qsizetype maxBytes) {
    return QStringLiteral("larger than %1 bytes").arg(maxBytes);
}

struct FdCloser {
    int fd;
    ~FdCloser() { ::close(fd); }
};

FileReadResult refused(QString reason, bool missing = false) {
    FileReadResult r;
    r.missing = missing;
    r.reason = std::move(reason);
    return r;
}

// Reads to the end, up to one byte more than maxBytes, which tells a file too large. Each read
// waits in poll for the writer first: a pipe's writer may be slower than this reader, and a
// descriptor handed over non-blocking would end the read at the first pause. A signal that
// interrupts the wait ends it when stopped says so.
FileReadResult readUpTo(int fd, qsizetype maxBytes, qsizetype expected,
                        const std::function<bool()>& stopped) {
    FileReadResult r;
    r.bytes.reserve(expected + 1);
    char chunk[64 * 1024];
    while (r.bytes.size() <= maxBytes) {
        if (stopped && stopped()) return refused(QStringLiteral("interrupted"));
        pollfd ready{fd, POLLIN, 0};
        if (::poll(&ready, 1, -1) < 0) {
            if (errno == EINTR) continue;
            return refused(systemReason(errno));
        }
        const auto want = std::min<qsizetype>(sizeof chunk, maxBytes + 1 - r.bytes.size());
        const ssize_t got = ::read(fd, chunk, static_cast<size_t>(want));
        if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (got < 0) return refused(systemReason(errno));
        if (got == 0) break;
        r.bytes.append(chunk, got);
    }
    if (r.bytes.size() > maxBytes) return refused(tooLargeReason(maxBytes));
    r.ok = true;
    return r;
}

}  // namespace

FileReadResult readRegularFile(const QString& path, qsizetype maxBytes) {
    const QByteArray name = QFile::encodeName(path);
    // Judged before opening, so that a FIFO or device is never opened at all.
    struct stat before {};
    if (path.isEmpty() || ::stat(name.constData(), &before) != 0) {
        const int error = path.isEmpty() ? ENOENT : errno;
        // Only nothing at all is a missing file; a link that leads nowhere is a file the
        // operator put there and that cannot be read.
        struct stat link {};
        if (error == ENOENT && !path.isEmpty() && ::lstat(name.constData(), &link) == 0)
            return refused(QStringLiteral("a link to a file that does not exist"));
        return refused(systemReason(error), error == ENOENT);
    }
    if (QString why = notRegularReason(before.st_mode); !why.isEmpty()) return refused(why);
    if (before.st_size > maxBytes) return refused(tooLargeReason(maxBytes));

    // The path may have been replaced since: O_NONBLOCK keeps a FIFO from blocking the open,
    // O_NOCTTY keeps a terminal from becoming ours, and the open file is judged once more.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return refused(systemReason(errno), errno == ENOENT);
    const FdCloser closer{fd};
    struct stat opened {};
    if (::fstat(fd, &opened) != 0) return refused(systemReason(errno));
    if (QString why = notRegularReason(opened.st_mode); !why.isEmpty()) return refused(why);

    // One byte more than allowed tells a file that grew past the limit since.
    return readUpTo(fd, maxBytes, std::min<qsizetype>(opened.st_size, maxBytes), {});
}

FileReadResult readToEnd(int fd, qsizetype maxBytes, const std::function<bool()>& stopped) {
    return readUpTo(fd, maxBytes, 0, stopped);
}

QByteArrayView withoutUtf8Bom(QByteArrayView bytes) {
    return bytes.startsWith("\xEF\xBB\xBF") ? bytes.sliced(3) : bytes;
}

}  // namespace korvo
