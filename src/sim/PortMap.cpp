#include "sim/PortMap.h"

#include <QRegularExpression>
#include <algorithm>

#include "core/ini/FileRead.h"
#include "core/ini/FileWrite.h"
#include "core/link/PortMap.h"  // the size limit only

namespace korvo::sim {

namespace {

// The file as lines without their '\n' (a '\r' stays part of its line). The file is read as the
// program reads it: only a regular file of at most the program's size limit, so a FIFO or a
// device under the map's name can neither block the sensors nor be rewritten.
bool readLines(const QString& path, QList<QByteArray>* lines, QString* error) {
    lines->clear();
    const FileReadResult read = readRegularFile(path, korvo::PortMap::kMaxFileBytes);
    if (read.missing) return true;
    if (!read.ok) {
        if (error) *error = QStringLiteral("%1: %2").arg(path, read.reason);
        return false;
    }
    if (read.bytes.isEmpty()) return true;
    *lines = read.bytes.split('\n');
    if (read.bytes.endsWith('\n')) lines->removeLast();
    return true;
}

bool writeLines(const QString& path, const QList<QByteArray>& lines, QString* error) {
    QByteArray bytes;
    for (const QByteArray& line : lines) bytes += line + '\n';
    const FileWriteResult written = writeFileAtomically(path, bytes);
    if (!written.ok && error) *error = written.message;
    return written.ok;
}

bool parseBytes(const QByteArray& line, PortMapEntry* entry) {
    return parsePortMapLine(QString::fromLocal8Bit(withoutUtf8Bom(line)), entry);
}

}  // namespace

QString portMapLine(const PortMapEntry& entry) {
    return QStringLiteral("COM%1 = %2").arg(entry.com).arg(entry.device);
}

bool parsePortMapLine(const QString& line, PortMapEntry* entry) {
    static const QRegularExpression re(QStringLiteral("^\\s*COM(\\d+)\\s*=\\s*(\\S.*?)\\s*$"),
                                       QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = re.match(line);
    if (!m.hasMatch()) return false;
    bool ok = false;
    const int com = m.captured(1).toInt(&ok);
    if (!ok || com <= 0) return false;
    if (entry) *entry = {com, m.captured(2)};
    return true;
}

std::vector<PortMapEntry> readPortMap(const QString& path) {
    QList<QByteArray> lines;
    std::vector<PortMapEntry> out;
    if (!readLines(path, &lines, nullptr)) return out;
    for (const QByteArray& line : lines) {
        PortMapEntry e;
        if (parseBytes(line, &e)) out.push_back(e);
    }
    return out;
}

bool addPortMapEntries(const QString& path, const std::vector<PortMapEntry>& entries,
                       QString* error) {
    QList<QByteArray> lines;
    if (!readLines(path, &lines, error)) return false;
    std::vector<bool> placed(entries.size(), false);
    QList<QByteArray> out;
    for (const QByteArray& line : lines) {
        PortMapEntry old;
        if (!parseBytes(line, &old)) {
            out.append(line);
            continue;
        }
        const auto it = std::find_if(entries.begin(), entries.end(),
                                     [&](const PortMapEntry& e) { return e.com == old.com; });
        if (it == entries.end()) {
            out.append(line);
            continue;
        }
        const std::size_t i = static_cast<std::size_t>(it - entries.begin());
        if (!placed[i]) out.append(portMapLine(*it).toLocal8Bit());  // later duplicates go
        placed[i] = true;
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!placed[i]) out.append(portMapLine(entries[i]).toLocal8Bit());
    }
    return writeLines(path, out, error);
}

bool removePortMapEntries(const QString& path, const std::vector<PortMapEntry>& entries,
                          QString* error) {
    QList<QByteArray> lines;
    if (!readLines(path, &lines, error)) return false;
    QList<QByteArray> out;
    bool changed = false;
    for (const QByteArray& line : lines) {
        PortMapEntry e;
        if (parseBytes(line, &e) && std::find(entries.begin(), entries.end(), e) != entries.end()) {
            changed = true;
            continue;
        }
        out.append(line);
    }
    return !changed || writeLines(path, out, error);
}

}  // namespace korvo::sim
