#include "core/params/AppSettings.h"

namespace korvo {

namespace {
std::optional<std::uint16_t> inRange(const std::optional<std::int32_t>& v, std::int32_t lo,
                                     std::int32_t hi) {
    if (!v || *v < lo || *v > hi) return std::nullopt;
    return static_cast<std::uint16_t>(*v);
}
}  // namespace

IniFile appSettingsIni(const AppSettings& s) {
    IniFile ini(false);
    ini.putInt(kAppConnectionSection, kAppComPortKey, s.comPort);
    ini.putInt(kAppConnectionSection, kAppBaudrateKey, s.baudIndex);
    ini.putInt(kAppApplicationSection, kAppPanelMaxKey, s.panelMax);
    ini.putInt(kAppApplicationSection, kAppPanelXKey, s.panelX);
    ini.putInt(kAppApplicationSection, kAppPanelYKey, s.panelY);
    ini.putInt(kAppApplicationSection, kAppPanelWidthKey, s.panelWidth);
    ini.putInt(kAppApplicationSection, kAppPanelHeightKey, s.panelHeight);
    const bool known = s.hardwareType >= 1 && s.hardwareType <= 3;
    ini.putInt(kAppHardwareSection, kAppHardwareTypeKey, known ? s.hardwareType : 0);
    return ini;
}

FileWriteResult WriteAppVarToIniFile(const AppSettings& s, const QString& path) {
    return appSettingsIni(s).writeToFile(path);
}

AppSettingsRead appSettingsFromIni(const IniFile& ini) {
    AppSettingsRead r;
    r.fileRead = true;
    r.comPort = ini.getInt(kAppConnectionSection, kAppComPortKey);
    r.baudIndex = ini.getInt(kAppConnectionSection, kAppBaudrateKey);
    r.panelMax = ini.getInt(kAppApplicationSection, kAppPanelMaxKey);
    r.panelX = ini.getInt(kAppApplicationSection, kAppPanelXKey);
    r.panelY = ini.getInt(kAppApplicationSection, kAppPanelYKey);
    r.panelWidth = ini.getInt(kAppApplicationSection, kAppPanelWidthKey);
    r.panelHeight = ini.getInt(kAppApplicationSection, kAppPanelHeightKey);
    r.hardwareType = ini.getInt(kAppHardwareSection, kAppHardwareTypeKey);
    return r;
}

AppSettingsRead ReadAppVarFromIniFile(const QString& path) {
    IniFile ini(false);
    if (!ini.readFromFile(path)) return {};
    return appSettingsFromIni(ini);
}

UsableAppSettings usableAppSettings(const AppSettingsRead& read) {
    UsableAppSettings u;
    u.comPort = inRange(read.comPort, 1, 255);
    u.baudIndex = inRange(read.baudIndex, 0, 4);
    u.hardwareType = inRange(read.hardwareType, 0, 3);
    u.geometry = planPanelGeometry(
        {read.panelMax, read.panelX, read.panelY, read.panelWidth, read.panelHeight});
    return u;
}

}  // namespace korvo
