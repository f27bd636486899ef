#include "core/ini/IniFile.h"

#include <algorithm>

#include "core/ini/FileRead.h"
#include "core/ini/IniValue.h"

namespace korvo {

IniFile::IniFile(bool /*autoSort*/) {}

QByteArray IniFile::normalise(QByteArrayView name) {
    return name.trimmed().toByteArray().toLower();
}

IniFile::Section& IniFile::sectionFor(const QByteArray& name) {
    const QByteArray norm = normalise(name);
    const auto it = sectionIndex_.constFind(norm);
    if (it != sectionIndex_.cend()) return sections_[static_cast<size_t>(it.value())];
    sectionIndex_.insert(norm, static_cast<int>(sections_.size()));
    sections_.push_back(Section{name, {}, {}});
    return sections_.back();
}

void IniFile::setValue(Section& s, const QByteArray& key, const QByteArray& value, bool replace,
                       int line) {
    const QByteArray norm = normalise(key);
    const auto it = s.index.constFind(norm);
    if (it != s.index.cend()) {
        if (replace) s.entries[static_cast<size_t>(it.value())].value = value;
        return;
    }
    s.index.insert(norm, static_cast<int>(s.entries.size()));
    s.entries.push_back(Entry{key, value, line});
}

void IniFile::putInt(const QString& section, const QString& key, std::int32_t value) {
    setValue(sectionFor(section.toLatin1()), key.toLatin1(), QByteArray::number(value), true);
}

void IniFile::putUInt32(const QString& section, const QString& key, std::uint32_t value) {
    putInt(section, key, toInt32Pattern(value));
}

const IniFile::Entry* IniFile::find(const QString& section, const QString& key) const {
    const auto sit = sectionIndex_.constFind(normalise(section.toLatin1()));
    if (sit == sectionIndex_.cend()) return nullptr;
    const Section& s = sections_[static_cast<size_t>(sit.value())];
    const auto kit = s.index.constFind(normalise(key.toLatin1()));
    if (kit == s.index.cend()) return nullptr;
    return &s.entries[static_cast<size_t>(kit.value())];
}

std::optional<std::int32_t> IniFile::getInt(const QString& section, const QString& key) const {
    const Entry* e = find(section, key);
    if (e == nullptr) return std::nullopt;
    return parseIniInt(e->value);
}

std::optional<std::uint32_t> IniFile::getUInt32(const QString& section, const QString& key) const {
    const auto v = getInt(section, key);
    if (!v) return std::nullopt;
    return fromInt32Pattern(*v);
}

std::optional<IniFile::RawValue> IniFile::rawValue(const QString& section,
                                                   const QString& key) const {
    const Entry* e = find(section, key);
    if (e == nullptr) return std::nullopt;
    return RawValue{e->value, e->line};
}

bool IniFile::hasSection(const QString& section) const {
    return sectionIndex_.contains(normalise(section.toLatin1()));
}

bool IniFile::hasKey(const QString& section, const QString& key) const {
    return find(section, key) != nullptr;
}

void IniFile::clear() {
    sections_.clear();
    sectionIndex_.clear();
    skippedLines_ = 0;
}

QByteArray IniFile::toBytes() const {
    QByteArray out;
    for (const Section& s : sections_) {
        out += '[';
        out += s.name;
        out += "]\r\n";
        for (const Entry& e : s.entries) {
            out += e.key;
            out += " = ";
            out += e.value;
            out += "\r\n";
        }
        out += "\r\n";
    }
    return out;
}

FileWriteResult IniFile::writeToFile(const QString& path) const {
    return writeFileAtomically(path, toBytes());
}

void IniFile::parseLine(QByteArrayView line, int lineNumber, int& current) {
    const QByteArrayView text = line.trimmed();
    if (text.isEmpty() || text[0] == ';' || text[0] == '#') return;

    if (text[0] == '[') {
        const qsizetype close = text.indexOf(']');
        const QByteArrayView name =
            close > 0 ? text.sliced(1, close - 1).trimmed() : QByteArrayView();
        if (name.isEmpty() || line.size() > kMaxLineBytes) {
            current = -1;  // keys below a broken header belong to no known section
            ++skippedLines_;
            return;
        }
        Section& s = sectionFor(name.toByteArray());
        current = static_cast<int>(&s - sections_.data());
        return;
    }

    const qsizetype eq = text.indexOf('=');
    if (current < 0 || eq <= 0 || line.size() > kMaxLineBytes) {
        ++skippedLines_;
        return;
    }
    const QByteArrayView key = text.first(eq).trimmed();
    if (key.isEmpty()) {
        ++skippedLines_;
        return;
    }
    setValue(sections_[static_cast<size_t>(current)], key.toByteArray(),
             text.sliced(eq + 1).trimmed().toByteArray(), false, lineNumber);
}

bool IniFile::fromBytes(const QByteArray& bytes) {
    clear();
    int current = -1;
    // A mark at the start would otherwise spoil the first section header.
    const QByteArrayView text = withoutUtf8Bom(bytes);
    const char* data = text.data();
    const qsizetype size = text.size();
    qsizetype pos = 0;
    int lineNumber = 0;
    while (pos < size) {
        ++lineNumber;
        qsizetype end = pos;
        while (end < size && data[end] != '\r' && data[end] != '\n') ++end;
        // An over-long line is judged by its first bytes only and never copied whole.
        parseLine(QByteArrayView(data + pos, std::min(end - pos, kMaxLineBytes + 1)), lineNumber,
                  current);
        // CR LF, a lone LF and a lone CR each end one line.
        pos = end + ((end + 1 < size && data[end] == '\r' && data[end + 1] == '\n') ? 2 : 1);
    }
    return true;
}

bool IniFile::readFromFile(const QString& path) {
    clear();
    const FileReadResult read = readRegularFile(path, kMaxFileBytes);
    return read.ok && fromBytes(read.bytes);
}

}  // namespace korvo
