#include "core/link/SerialAdapters.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <set>

#include "core/ini/FileRead.h"

namespace korvo {

namespace {

// The device node a path reaches, or the path itself when it reaches nothing.
QString nodeOf(const QString& path) {
    const QString node = QFileInfo(path).canonicalFilePath();
    return node.isEmpty() ? path : node;
}

QStringList linksIn(const QString& dir) {
    QStringList out;
    const QFileInfoList entries =
        QDir(dir).entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& e : entries)
        if (e.exists()) out << e.absoluteFilePath();  // exists() follows the link
    return out;
}

QByteArray portMapLine(const PortMapEntry& e) {
    return QStringLiteral("COM%1 = %2\n").arg(e.com).arg(e.device).toLocal8Bit();
}

}  // namespace

QString portMapUnfitReason(const QString& device) {
    for (const QChar c : device) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return QStringLiteral("a line break or other control character in the name");
    }
    const PortMap back = PortMap::parseBytes(portMapLine({1, device}));
    if (back.size() == 1 && back.contains(1) && back.devicePath(1) == device) return {};
    return QStringLiteral(
        "the port map would not read the name back as it is ('#' and ';' start "
        "a comment, spaces at its ends are dropped)");
}

QStringList stableSerialDevices(const QString& serialDir) {
    QStringList out = linksIn(serialDir + QStringLiteral("/by-id"));
    std::set<QString> reached;
    for (const QString& p : out) reached.insert(nodeOf(p));
    for (const QString& p : linksIn(serialDir + QStringLiteral("/by-path")))
        if (reached.insert(nodeOf(p)).second) out << p;
    return out;
}

NewPortMapEntries newPortMapEntries(const PortMap& map, const QStringList& devices) {
    std::set<QString> known;
    int next = 1;
    for (const auto& [com, device] : map.entries()) {
        known.insert(device);
        known.insert(nodeOf(device));
        next = std::max(next, com + 1);
    }
    NewPortMapEntries out;
    for (const QString& device : devices) {
        if (known.count(device) || known.count(nodeOf(device))) continue;
        known.insert(device);
        known.insert(nodeOf(device));
        if (const QString why = portMapUnfitReason(device); !why.isEmpty()) {
            out.skipped << device + QStringLiteral(": ") + why;
            continue;
        }
        out.added.push_back({next++, device});
    }
    return out;
}

FileWriteResult appendToPortMap(const QString& path, const std::vector<PortMapEntry>& entries) {
    const FileReadResult read = readRegularFile(path, PortMap::kMaxFileBytes);
    if (!read.ok && !read.missing) return {false, QStringLiteral("%1: %2").arg(path, read.reason)};
    QByteArray bytes = read.bytes;
    if (!bytes.isEmpty() && !bytes.endsWith('\n')) bytes += '\n';
    for (const PortMapEntry& e : entries) bytes += portMapLine(e);
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return {false, QStringLiteral("%1: folder could not be created").arg(path)};
    return writeFileAtomically(path, bytes);
}

}  // namespace korvo
