#pragma once
// COM port numbers to device paths. The port map is a text file in the program directory with one
// "COMn = /dev/..." line per mapped port; users edit it and the virtual sensor writes it. A COM
// number without a line is the n-th built-in serial port, /dev/ttyS<n-1>.

#include <QString>
#include <map>

namespace korvo {

inline constexpr char kPortMapFileName[] = "COMPORTS.map";

class PortMap {
public:
    // Reads "COMn = path" lines. Blank lines, '#' and ';' comments and lines of any other form
    // are skipped; the keyword is not case sensitive; a later line for the same n wins.
    static PortMap parse(const QString& text);
    // A missing or unreadable file gives the empty map.
    static PortMap load(const QString& filePath);
    // The port map file beside the executable.
    static QString defaultFilePath();

    // The mapped device, else /dev/ttyS<n-1>.
    QString devicePath(int comNumber) const;
    bool contains(int comNumber) const { return paths_.count(comNumber) != 0; }
    int size() const { return static_cast<int>(paths_.size()); }

private:
    std::map<int, QString> paths_;
};

}  // namespace korvo
