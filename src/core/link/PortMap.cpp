#include "core/link/PortMap.h"

#include <QRegularExpression>
#include <QStringList>

#include "core/files/FileLocations.h"
#include "core/ini/FileRead.h"
#include "core/link/PortAddress.h"

namespace korvo {

PortMap PortMap::parse(const QString& text) {
    static const QRegularExpression line(QStringLiteral(R"(^COM\s*(\d+)\s*=\s*(\S.*)$)"),
                                         QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression commentStart(QStringLiteral("[#;]"));
    PortMap map;
    for (QString raw : text.split(QLatin1Char('\n'))) {
        const qsizetype comment = raw.indexOf(commentStart);
        if (comment >= 0) raw.truncate(comment);
        const QString trimmed = raw.trimmed();
        if (trimmed.isEmpty()) continue;
        const QRegularExpressionMatch m = line.match(trimmed);
        if (!m.hasMatch()) continue;
        bool ok = false;
        const int n = m.captured(1).toInt(&ok);
        if (!ok || n < 1) continue;
        const QString device = m.captured(2).trimmed();
        const PortAddress address = parsePortAddress(device);
        if (!address.ok()) {
            map.paths_.erase(n);
            map.refused_[n] = QStringLiteral("COM%1 = %2: %3").arg(n).arg(device, address.error);
            continue;
        }
        map.refused_.erase(n);
        map.paths_[n] = device;
    }
    return map;
}

PortMap PortMap::parseBytes(const QByteArray& bytes) {
    // The decoder drops a leading UTF-8 byte-order mark itself.
    return parse(QString::fromLocal8Bit(bytes));
}

PortMap PortMap::load(const QString& filePath) {
    const FileReadResult read = readRegularFile(filePath, kMaxFileBytes);
    if (!read.ok) {
        PortMap empty;
        if (!read.missing)
            empty.problem_ = QStringLiteral("port map %1 not read: %2").arg(filePath, read.reason);
        return empty;
    }
    return parseBytes(read.bytes);
}

QString PortMap::defaultFilePath() {
    return currentFileLocations().settingsFile(QString::fromLatin1(kPortMapFileName));
}

QString PortMap::refusal(int comNumber) const {
    const auto it = refused_.find(comNumber);
    return it == refused_.end() ? QString() : it->second;
}

QString PortMap::devicePath(int comNumber) const {
    const auto it = paths_.find(comNumber);
    if (it != paths_.end()) return it->second;
    return QStringLiteral("/dev/ttyS%1").arg(comNumber - 1);
}

}  // namespace korvo
