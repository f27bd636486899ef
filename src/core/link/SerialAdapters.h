#pragma once
// The serial adapters plugged in now, under the names udev gives them for good: a link in
// /dev/serial/by-id names an adapter by its maker, model and serial number and survives a replug
// into another socket; /dev/serial/by-path names the socket, for adapters without a serial number.
// `korvo ports --write-map` adds them to the port map without touching the lines already there.

#include <QString>
#include <QStringList>
#include <vector>

#include "core/ini/FileWrite.h"
#include "core/link/PortMap.h"

namespace korvo {

inline constexpr char kSerialLinkDir[] = "/dev/serial";

struct PortMapEntry {
    int com = 0;
    QString device;
    bool operator==(const PortMapEntry&) const = default;
};

// The links in <serialDir>/by-id, sorted by name, then those in <serialDir>/by-path whose device
// no by-id link reaches. Dangling links (an adapter pulled just now) are left out.
QStringList stableSerialDevices(const QString& serialDir = QLatin1String(kSerialLinkDir));

// Empty when a "COMn = device" line gives back exactly this device when the map is read (its own
// parser, its file encoding); otherwise why not. A line break would end the line early (and the
// rest could map another COM number), '#' and ';' start a comment, spaces at the ends are dropped.
QString portMapUnfitReason(const QString& device);

struct NewPortMapEntries {
    std::vector<PortMapEntry> added;
    QStringList skipped;  // "device: reason" for each device the map cannot hold as it is
};

// The devices the map does not reach yet, neither by the same path nor through a link to the same
// device node, numbered on from the highest COM number of the map. A device whose name the map
// cannot hold exactly is skipped, never written half or with a line of its own.
NewPortMapEntries newPortMapEntries(const PortMap& map, const QStringList& devices);

// Adds "COMn = device" lines at the end of the map file; every byte already there stays. A
// missing file is created with its folder. The file is replaced as a whole, never truncated.
FileWriteResult appendToPortMap(const QString& path, const std::vector<PortMapEntry>& entries);

}  // namespace korvo
