#pragma once
// The multiplexer settings file: panel geometry, the three general values, the seven group
// states and, per port, enable, baud index and COM number. Written anew as a whole each time;
// read key by key, so that only the keys present are applied.

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

#include "core/ini/FileWrite.h"
#include "core/ini/IniFile.h"
#include "core/ini/PanelGeometry.h"
#include "core/mplex/PortTable.h"

namespace korvo {

inline constexpr char kMplexIniFileName[] = "MPLEX16.ini";
inline constexpr char kMplexIniFilter[] = "*.ini";

inline constexpr char kMplexAppSection[] = "APPLICATION";
inline constexpr char kMplexPanelMaxKey[] = "MPC-Panel max";
inline constexpr char kMplexPanelXKey[] = "MPC-Panel pos. x";
inline constexpr char kMplexPanelYKey[] = "MPC-Panel pos. y";
inline constexpr char kMplexPanelWidthKey[] = "MPC-Panel width";
inline constexpr char kMplexPanelHeightKey[] = "MPC-Panel height";
inline constexpr char kMplexGeneralSection[] = "MPLEX_GEN";
inline constexpr char kMplexTeachKey[] = "MPC-Teach-Val";
inline constexpr char kMplexTolHighKey[] = "MPC-Tol-High";
inline constexpr char kMplexTolLowKey[] = "MPC-Tol-Low";
inline constexpr char kMplexTabSection[] = "MPLEX_TAB";
inline constexpr char kMplexEnableKey[] = "Enable";
inline constexpr char kMplexBaudrateKey[] = "Baudrate";
inline constexpr char kMplexComKey[] = "COM";

// "MPC-Tab1".."MPC-Tab7" for group 0..6.
QString mplexTabKey(int group);
// "MPLEX1_PORT1".."MPLEX7_PORT16" for group 0..6, port 0..15.
QString mplexPortSection(int group, int port);

struct MplexPortIni {
    std::int32_t enabled = 1;
    std::uint16_t baudIndex = 1;
    std::uint16_t comPort = 0;
    bool operator==(const MplexPortIni&) const = default;
};

// Everything the file holds, as written.
struct MplexIniContent {
    std::int32_t panelMax = 0;
    std::int32_t panelX = 0;
    std::int32_t panelY = 0;
    std::int32_t panelWidth = 0;
    std::int32_t panelHeight = 0;
    std::uint16_t teachValue = 0;
    std::uint16_t tolHigh = 0;
    std::uint16_t tolLow = 0;
    std::array<std::int32_t, kMplexGroups> groupStates{};
    std::array<std::array<MplexPortIni, kMplexPortsPerGroup>, kMplexGroups> ports{};
    bool operator==(const MplexIniContent&) const = default;
};

// The content of a table; the panel geometry is left 0 for the caller to fill in.
MplexIniContent mplexIniContentFromTable(const MplexTable& table);

// The INI object with all sections and keys in their order.
IniFile mplexIniFromContent(const MplexIniContent& content);
// Replaces the file as a whole, or leaves the old one when it cannot be written.
FileWriteResult writeMplexIniFile(const MplexIniContent& content, const QString& path);

// What a file holds, key by key; a missing or non-numeric key stays empty.
struct MplexPortIniRead {
    std::optional<std::int32_t> enabled;
    std::optional<std::int32_t> baudIndex;
    std::optional<std::int32_t> comPort;
};

struct MplexIniRead {
    bool fileRead = false;
    PanelGeometryKeys geometry;
    std::optional<std::uint16_t> teachValue;  // low 16 bits of the stored value
    std::optional<std::uint16_t> tolHigh;
    std::optional<std::uint16_t> tolLow;
    std::array<std::optional<std::int32_t>, kMplexGroups> groupStates{};
    std::array<std::array<MplexPortIniRead, kMplexPortsPerGroup>, kMplexGroups> ports{};

    // The panel geometry to restore: nothing without "MPC-Panel max", maximise when it is 1,
    // otherwise position and size only when both of their keys are there.
    PanelGeometryPlan geometryPlan() const { return planPanelGeometry(geometry); }
};

MplexIniRead mplexIniRead(const IniFile& ini);
// A missing, unreadable or oversized file gives fileRead false and no keys.
MplexIniRead readMplexIniFile(const QString& path);

// Stores the keys that are present into the table, everything else stays: the general values,
// group states and per port enabled, baud index and COM number. Group states and enables are
// stored as 0 or 1 (any non-zero value means on); baud index and COM number as the low 16 bits of
// the value, whatever it is.
void applyMplexIni(const MplexIniRead& read, MplexTable& table);

}  // namespace korvo
