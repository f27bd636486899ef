#pragma once
// The application settings of the scope window: connection (COM port, baud index), main-panel
// geometry and hardware type. They live in a file of their own beside the program, so that
// writing them never disturbs the multiplexer settings file and the other way round.

#include <QString>
#include <cstdint>
#include <optional>

#include "core/ini/FileWrite.h"
#include "core/ini/IniFile.h"
#include "core/ini/PanelGeometry.h"

namespace korvo {

inline constexpr char kAppSettingsFileName[] = "KORVO-KM-Scope.ini";

inline constexpr char kAppConnectionSection[] = "CONNECTION";
inline constexpr char kAppComPortKey[] = "COM Port";
inline constexpr char kAppBaudrateKey[] = "BAUDRATE";
inline constexpr char kAppApplicationSection[] = "APPLICATION";
inline constexpr char kAppPanelMaxKey[] = "Panel max";
inline constexpr char kAppPanelXKey[] = "Panel pos. x";
inline constexpr char kAppPanelYKey[] = "Panel pos. y";
inline constexpr char kAppPanelWidthKey[] = "Panel width ";  // the key ends in one blank
inline constexpr char kAppPanelHeightKey[] = "Panel height";
inline constexpr char kAppHardwareSection[] = "HARDWAREINFO";
inline constexpr char kAppHardwareTypeKey[] = "Hardware-Type";

struct AppSettings {
    int comPort = 1;
    int baudIndex = 1;
    int panelMax = 0;  // 1 when the main panel is maximised
    int panelX = 0;
    int panelY = 0;
    int panelWidth = 0;
    int panelHeight = 0;
    std::uint16_t hardwareType = 0;  // written as is when 1, 2 or 3, else as 0
};

// The eight keys in their order.
IniFile appSettingsIni(const AppSettings& s);
// Replaces the whole file, or leaves the old one when it cannot be written.
FileWriteResult WriteAppVarToIniFile(const AppSettings& s, const QString& path);

// What a settings file holds, key by key; a key that is missing or not a number stays empty.
struct AppSettingsRead {
    bool fileRead = false;
    std::optional<std::int32_t> comPort;
    std::optional<std::int32_t> baudIndex;
    std::optional<std::int32_t> panelMax;
    std::optional<std::int32_t> panelX;
    std::optional<std::int32_t> panelY;
    std::optional<std::int32_t> panelWidth;
    std::optional<std::int32_t> panelHeight;
    std::optional<std::int32_t> hardwareType;
};

AppSettingsRead appSettingsFromIni(const IniFile& ini);
AppSettingsRead ReadAppVarFromIniFile(const QString& path);

// The values that may be restored at start-up: COM port 1..255, baud index 0..4, hardware type
// 0..3, and the geometry by the rules of planPanelGeometry(). Anything else stays empty.
struct UsableAppSettings {
    std::optional<std::uint16_t> comPort;
    std::optional<std::uint16_t> baudIndex;
    std::optional<std::uint16_t> hardwareType;
    PanelGeometryPlan geometry;
};

UsableAppSettings usableAppSettings(const AppSettingsRead& read);

}  // namespace korvo
