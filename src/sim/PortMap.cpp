#include "sim/PortMap.h"

#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <algorithm>

namespace korvo::sim {

namespace {

// The file as lines without their '\n' (a '\r' stays part of its line).
bool readLines(const QString& path, QList<QByteArray>* lines, QString* error) {
    lines->clear();
    QFile file(path);
    if (!file.exists()) return true;
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    const QByteArray all = file.readAll();
    if (all.isEmpty()) return true;
    *lines = all.split('\n');
    if (all.endsWith('\n')) lines->removeLast();
    return true;
}

bool writeLines(const QString& path, const QList<QByteArray>& lines, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error) *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    for (const QByteArray& line : lines) {
        file.write(line);
        file.write("\n");
    }
    if (!file.commit()) {
        if (error) *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

bool parseBytes(const QByteArray& line, PortMapEntry* entry) {
    return parsePortMapLine(QString::fromLocal8Bit(line), entry);
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
