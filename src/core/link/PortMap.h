#pragma once
// COM port numbers to device paths. The port map is a text file in the settings folder (see
// FileLocations.h) with one "COMn = /dev/..." line per mapped port; users edit it, the virtual
// sensor and `korvo ports --write-map` write it. A device path may be any path, a stable link
// such as /dev/serial/by-id/... included; only the map file itself must be a regular file. A COM
// number without a line is the n-th built-in serial port, /dev/ttyS<n-1>. The map is read like the
// settings files: only a regular file of at most kMaxFileBytes; a UTF-8 byte-order mark is skipped.
// A line may also name a sensor behind a serial device server, `COM17 = rfc2217://10.0.0.12:4001`
// or `COM18 = tcp://cabinet-3:4002` (see PortAddress.h); such a line that is malformed is refused
// with its reason, and its COM number then opens nothing at all.

#include <QByteArray>
#include <QString>
#include <map>

namespace korvo {

inline constexpr char kPortMapFileName[] = "COMPORTS.map";

class PortMap {
public:
    // A few hundred lines at most in practice; the limit bounds the read at every port opening.
    static constexpr qsizetype kMaxFileBytes = 1024 * 1024;

    // Reads "COMn = path" lines. Blank lines, '#' and ';' comments and lines of any other form
    // are skipped; the keyword is not case sensitive; a later line for the same n wins, a refused
    // one included.
    static PortMap parse(const QString& text);
    // The same for the bytes of a port map file: local 8-bit text (UTF-8 on Linux), a leading
    // byte-order mark dropped.
    static PortMap parseBytes(const QByteArray& bytes);
    // A missing file gives the empty map. So does a file that is there but not read (not a
    // regular file, too large, no permission); problem() then says so.
    static PortMap load(const QString& filePath);
    // The port map file in the running program's settings folder.
    static QString defaultFilePath();

    // The mapped device, else /dev/ttyS<n-1>.
    QString devicePath(int comNumber) const;
    bool contains(int comNumber) const { return paths_.count(comNumber) != 0; }
    int size() const { return static_cast<int>(paths_.size()); }
    // Every mapped COM number with its device, in ascending COM order.
    const std::map<int, QString>& entries() const { return paths_; }
    // The path and the reason when load() found a file it did not read; empty otherwise.
    const QString& problem() const { return problem_; }
    // The refused line for comNumber and why ("COM17 = tcp://x: no port after the host"); empty
    // when its line, if any, was read. A refused number is not contained in the map.
    QString refusal(int comNumber) const;
    const std::map<int, QString>& refusals() const { return refused_; }

private:
    std::map<int, QString> paths_;
    std::map<int, QString> refused_;
    QString problem_;
};

}  // namespace korvo
