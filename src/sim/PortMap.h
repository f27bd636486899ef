#pragma once
// The port map: a text file in the programs' settings folder with one "COMn = /dev/..." line per
// mapped COM number, kept by users and by the virtual sensor. Edits keep every line they do not
// own, comments and foreign entries included, byte for byte.

#include <QString>
#include <vector>

namespace korvo::sim {

inline constexpr const char* kPortMapFileName = "COMPORTS.map";

struct PortMapEntry {
    int com = 0;
    QString device;
    bool operator==(const PortMapEntry&) const = default;
};

QString portMapLine(const PortMapEntry& entry);
// Reads "COMn = path" (blanks around '=' optional, "COM" in any case); false for other lines.
bool parsePortMapLine(const QString& line, PortMapEntry* entry);
// The entries of a port map file (other lines skipped); empty when it cannot be read.
std::vector<PortMapEntry> readPortMap(const QString& path);

// Puts these entries in: a line for the same COM number is replaced in place, new ones are
// appended, all other lines stay. Creates the file when missing.
bool addPortMapEntries(const QString& path, const std::vector<PortMapEntry>& entries,
                       QString* error = nullptr);
// Takes out exactly these lines (same COM number and same device); all other lines stay.
bool removePortMapEntries(const QString& path, const std::vector<PortMapEntry>& entries,
                          QString* error = nullptr);

}  // namespace korvo::sim
