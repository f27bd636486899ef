#pragma once
// The multiplexer port table: 7 groups (one multiplexer each) of 16 ports, every port a sensor
// on a COM port of its own. Groups and ports are numbered from 0 in code; the operator sees
// them from 1.

#include <QString>
#include <array>
#include <cstdint>

namespace korvo {

inline constexpr int kMplexGroups = 7;
inline constexpr int kMplexPortsPerGroup = 16;
inline constexpr int kPortStatusTextMax = 35;  // a port status field holds 35 characters
inline constexpr char kMplexNotConnectedText[] = "not connected";

struct MplexTable;
// Sets every group to enabled and every port to its defaults (not opened, enabled, scope off,
// baud index 1, default COM number, "not connected"). Panel handles and the general values are
// left as they are.
void initDefaultMplexTable(MplexTable& table);

struct MplexPort {
    int panel = 0;        // the port's panel handle, set by the program when the panels exist
    int openState = 0;    // 0 not opened yet, 1 open, negative: serial error of the last attempt
    int enabled = 1;      // the port's check box
    int scopeActive = 0;  // 1 while the port's scope toggle is on
    std::uint16_t baudIndex = 1;  // 19200 baud
    std::uint16_t comPort = 0;
    QString statusText = QString::fromLatin1(kMplexNotConnectedText);
    bool operator==(const MplexPort&) const = default;
};

struct MplexGroup {
    int state = 1;  // 1 enabled, 0 disabled
    std::array<MplexPort, kMplexPortsPerGroup> ports;
    bool operator==(const MplexGroup&) const = default;
};

struct MplexTable {
    std::array<MplexGroup, kMplexGroups> groups;
    // General values of the multiplexer panel, sent with every teach-in. Their start values come
    // from the panel, so the defaults below do not touch them.
    std::uint16_t teachValue = 0;
    std::uint16_t upperTolerance = 0;
    std::uint16_t lowerTolerance = 0;
    MplexPort currentPort;  // the port last read back from its panel
    // The multiplexer status text is LinkState::mplexStatusText: the link operations write it.

    MplexTable() { initDefaultMplexTable(*this); }
};

// COM port number of a port by default: 16 x group + port + 1, that is 1..112.
constexpr std::uint16_t defaultComPort(int group, int port) {
    return static_cast<std::uint16_t>(kMplexPortsPerGroup * group + port + 1);
}

}  // namespace korvo
