#include "cli/OutputFile.h"

#include <sys/stat.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

namespace korvo::cli {

namespace {

const char* kindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

}  // namespace

QString outputFileRefusal(const QString& path, bool force) {
    struct stat st {};
    // lstat: the path itself, not what a link at it reaches.
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0) {
        if (errno == ENOENT) return {};
        return QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    }
    const QString onlyRegular = QStringLiteral("; --force replaces only a regular file");
    if (S_ISLNK(st.st_mode)) {
        return QStringLiteral("%1 is a link to %2").arg(path, QFileInfo(path).symLinkTarget()) +
               onlyRegular;
    }
    if (!S_ISREG(st.st_mode))
        return QStringLiteral("%1 is %2").arg(path, QLatin1String(kindOf(st.st_mode))) +
               onlyRegular;
    if (!force) return QStringLiteral("%1 exists; --force replaces it").arg(path);
    return {};
}

}  // namespace korvo::cli
