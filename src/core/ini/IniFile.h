#pragma once
// The in-memory INI object shared by every settings file of the program.
//
// Written form, byte for byte: for each section in the order of its first use a line
// "[NAME]", one line "key = value" per key in the order the keys were put (the key exactly as
// put, trailing blanks included), then an empty line, also after the last section. Every line
// ends in CR LF; there is no header and no comment. Values are signed 32-bit decimal.
//
// Reading is forgiving, because these files are edited by hand and copied between machines:
// - section and key names match without regard to ASCII letter case and surrounding white space;
// - a UTF-8 byte-order mark at the start is skipped;
// - CR LF, LF and a lone CR all end a line; lines starting with ';' or '#' are comments;
// - a line that is neither a section header nor "key = value" is skipped; a broken section
//   header also skips the key lines that follow it up to the next good header, so that they are
//   not filed under the wrong section;
// - lines longer than kMaxLineBytes are skipped, files larger than kMaxFileBytes are not read;
// - when a section appears twice, its keys are merged: the first occurrence of a key wins, keys
//   of the later copy are added when they are not present yet. A key repeated inside a section
//   is treated the same way.

#include <QByteArray>
#include <QHash>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/ini/FileRead.h"
#include "core/ini/FileWrite.h"

namespace korvo {

class IniFile {
public:
    static constexpr qsizetype kMaxFileBytes = kMaxTextFileBytes;
    static constexpr qsizetype kMaxLineBytes = 4096;

    // The flag for automatic sorting of sections and keys exists for the callers' sake; the
    // program always passes it off, and sorting is not supported.
    explicit IniFile(bool autoSort = false);

    // Adds the key at the end of its section (the section at the end of the file if it is new).
    // Putting a key that is already there (same name by the lookup rules) replaces its value in
    // place and keeps the spelling and position of the first put.
    void putInt(const QString& section, const QString& key, std::int32_t value);
    void putUInt32(const QString& section, const QString& key, std::uint32_t value);

    // Empty when the section or key is missing or the value is no signed 32-bit integer.
    std::optional<std::int32_t> getInt(const QString& section, const QString& key) const;
    std::optional<std::uint32_t> getUInt32(const QString& section, const QString& key) const;

    // The value's text as read (trimmed) and its line in the text, counted from 1 (0 for a value
    // put by the program); nothing when the section or key is missing.
    struct RawValue {
        QByteArray text;
        int line = 0;
    };
    std::optional<RawValue> rawValue(const QString& section, const QString& key) const;

    bool hasSection(const QString& section) const;
    bool hasKey(const QString& section, const QString& key) const;
    bool isEmpty() const { return sections_.empty(); }
    int sectionCount() const { return static_cast<int>(sections_.size()); }
    void clear();

    QByteArray toBytes() const;
    FileWriteResult writeToFile(const QString& path) const;

    // Replace the content with what can be read from the bytes or file. fromBytes always
    // succeeds (bad lines are skipped); readFromFile fails, leaving the object empty, when the
    // path is no readable regular file or the file is too large (see readRegularFile).
    bool fromBytes(const QByteArray& bytes);
    bool readFromFile(const QString& path);

    // Lines skipped as unreadable by the last read (comments and empty lines do not count).
    int skippedLineCount() const { return skippedLines_; }

private:
    struct Entry {
        QByteArray key;  // as put or as read (trimmed)
        QByteArray value;
        int line = 0;
    };
    struct Section {
        QByteArray name;
        std::vector<Entry> entries;
        QHash<QByteArray, int> index;  // normalised key -> entry
    };

    static QByteArray normalise(QByteArrayView name);
    Section& sectionFor(const QByteArray& name);
    const Entry* find(const QString& section, const QString& key) const;
    void setValue(Section& s, const QByteArray& key, const QByteArray& value, bool replace,
                  int line = 0);
    void parseLine(QByteArrayView line, int lineNumber, int& current);

    std::vector<Section> sections_;
    QHash<QByteArray, int> sectionIndex_;  // normalised name -> section
    int skippedLines_ = 0;
};

}  // namespace korvo
