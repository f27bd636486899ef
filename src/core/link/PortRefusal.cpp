#include "core/link/PortRefusal.h"

#include <signal.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cerrno>

#include "core/ini/FileRead.h"

namespace korvo {

namespace {

constexpr char kDialoutHint[] =
    "the user may not open the device: add the user to group dialout (sudo usermod -aG "
    "dialout $USER, then log in again)";

QString holderText(const PortHolder& h) {
    return h.name.isEmpty() ? QStringLiteral("process %1").arg(h.pid)
                            : QStringLiteral("process %1 (%2)").arg(h.pid).arg(h.name);
}

bool processAlive(long pid) {
    return pid > 0 && (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

QString processName(long pid) {
    const FileReadResult comm = readRegularFile(QStringLiteral("/proc/%1/comm").arg(pid), 4096);
    return comm.ok ? QString::fromLocal8Bit(comm.bytes).trimmed() : QString();
}

// The folders where serial programs keep their lock files; the serial port library takes the
// first of its list that it may write, so any of them may hold the lock.
QStringList lockFolders() {
    QStringList folders = {QStringLiteral("/var/lock"),
                           QStringLiteral("/run/lock"),
                           QStringLiteral("/etc/locks"),
                           QStringLiteral("/var/spool/locks"),
                           QStringLiteral("/var/spool/uucp"),
                           QStringLiteral("/var/lock/lockdev"),
                           QStringLiteral("/tmp"),
                           QStringLiteral("/var/tmp"),
                           QDir::tempPath()};
    folders.removeDuplicates();
    return folders;
}

// The live process a lock file names in its first line.
std::optional<PortHolder> lockOwner(const QString& lockFile) {
    const FileReadResult lock = readRegularFile(lockFile, 4096);
    if (!lock.ok) return std::nullopt;
    bool ok = false;
    const long pid = lock.bytes.split('\n').value(0).trimmed().toLong(&ok);
    if (!ok || !processAlive(pid)) return std::nullopt;
    return PortHolder{pid, processName(pid)};
}

// Processes with the node open, by their descriptor links (only one's own for a normal user).
std::vector<PortHolder> openersOf(const QString& node) {
    std::vector<PortHolder> found;
    const QDir proc(QStringLiteral("/proc"));
    for (const QString& entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool ok = false;
        const long pid = entry.toLong(&ok);
        if (!ok) continue;
        const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
        for (const QString& fd : fds.entryList(QDir::Files | QDir::System)) {
            if (QFile::symLinkTarget(fds.filePath(fd)) == node) {
                found.push_back({pid, processName(pid)});
                break;
            }
        }
    }
    return found;
}

}  // namespace

QString serialLockFileName(const QString& node) {
    QString name = node.startsWith(QLatin1String("/dev/")) ? node.mid(5) : node;
    return QStringLiteral("LCK..") + name.replace(QLatin1Char('/'), QLatin1Char('_'));
}

QString portRefusalHint(const PortRefusalFacts& f) {
    if (f.accessDenied) {
        QString hint = QLatin1String(kDialoutHint);
        if (!f.deviceGroup.isEmpty() && f.deviceGroup != QLatin1String("dialout"))
            hint += QStringLiteral("; the device belongs to group %1").arg(f.deviceGroup);
        return hint;
    }
    if (f.lockOwner) {
        return QStringLiteral("the port is in use by %1 (lock file %2): close that program first")
            .arg(holderText(*f.lockOwner), f.lockFile);
    }
    if (!f.openers.empty()) {
        QStringList holders;
        for (const PortHolder& h : f.openers) holders << holderText(h);
        return QStringLiteral("the port is in use by %1: close that program first")
            .arg(holders.join(QStringLiteral(", ")));
    }
    return QStringLiteral(
        "permission denied or port in use: add the user to group dialout, or close the program "
        "that holds the port");
}

PortRefusalFacts gatherPortRefusalFacts(const QString& node) {
    PortRefusalFacts f;
    const QByteArray path = QFile::encodeName(node);
    if (::access(path.constData(), R_OK | W_OK) != 0 && errno == EACCES) {
        f.accessDenied = true;
        f.deviceGroup = QFileInfo(node).group();
        return f;
    }
    for (const QString& folder : lockFolders()) {
        const QString lockFile = folder + QLatin1Char('/') + serialLockFileName(node);
        if (auto owner = lockOwner(lockFile)) {
            f.lockFile = lockFile;
            f.lockOwner = std::move(owner);
            return f;
        }
    }
    // The node is not opened to find out more: opening a serial line moves its control lines.
    f.openers = openersOf(node);
    return f;
}

}  // namespace korvo
